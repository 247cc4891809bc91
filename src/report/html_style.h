// The web page's look: one column that fits a phone, tiles for the totals,
// tables that wrap long names, a dark scheme where the reader's system asks
// for one, and a print layout in black on white, two columns where the
// screen has them, sections broken between rows, not inside a chart.
#pragma once

inline constexpr char kHtmlStyle[] = R"(:root{color-scheme:light dark;--ink:#1d2733;--muted:#5b6876;--line:#d8dee6;--accent:#2f6db5;--page:#f4f6f9;--card:#fff}
@media (prefers-color-scheme:dark){:root{--ink:#e3e8ee;--muted:#9aa7b5;--line:#34404d;--accent:#6ea8ec;--page:#11161c;--card:#1a222b}}
*{box-sizing:border-box}
body{margin:0;background:var(--page);color:var(--ink);font:15px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif}
main{max-width:62rem;margin:0 auto;padding:1.5rem 1rem 2rem}
h1{font-size:1.45rem;margin:0 0 .2rem;overflow-wrap:anywhere}
h2{font-size:1.05rem;margin:0 0 .6rem}
h3{font-size:.95rem;margin:1rem 0 .4rem}
.period{color:var(--muted);margin:0 0 1.2rem}
section{background:var(--card);border:1px solid var(--line);border-radius:8px;padding:1rem 1.2rem;margin:0 0 1rem;min-width:0}
.totals{display:grid;grid-template-columns:repeat(auto-fit,minmax(10rem,1fr));gap:.75rem;background:none;border:0;padding:0}
.total{background:var(--card);border:1px solid var(--line);border-radius:8px;padding:.7rem 1rem}
.total b{display:block;font-size:1.35rem;font-variant-numeric:tabular-nums;white-space:nowrap}
.total span{color:var(--muted);font-size:.85rem}
.columns{display:grid;grid-template-columns:repeat(auto-fit,minmax(24rem,1fr));gap:0 1rem}
.scroll{overflow-x:auto}
table{width:100%;border-collapse:collapse;font-variant-numeric:tabular-nums}
th,td{padding:.3rem .45rem;border-bottom:1px solid var(--line);text-align:left;vertical-align:top}
th{color:var(--muted);font-size:.8rem;font-weight:600}
svg+table,svg+.scroll,h3+.scroll{margin-top:.8rem}
table.days td:first-child{white-space:nowrap}
table.hours td:nth-child(2n+3),table.hours th:nth-child(2n+3){border-left:1px solid var(--line)}
.n{text-align:right;white-space:nowrap;width:1%}
th.n{white-space:normal}
.name{overflow-wrap:anywhere;word-break:break-word}
.host{display:block;color:var(--muted);font-size:.85em}
.note{color:var(--muted);font-size:.85rem;margin:.4rem 0 0}
tr.sub td:first-child{padding-left:1.5rem;color:var(--muted)}
tr.sub2 td:first-child{padding-left:3rem;color:var(--muted)}
.files{margin:.6rem 0 0;padding-left:1.2rem}
dl{display:grid;grid-template-columns:max-content 1fr;gap:.25rem 1rem;margin:0}
dt{color:var(--muted)}
dd{margin:0;overflow-wrap:anywhere}
svg{display:block;width:100%;height:auto}
svg .bar{fill:var(--accent)}
svg .grid{stroke:var(--line);stroke-width:1}
svg text{fill:var(--muted);font-size:13px}
svg .value{text-anchor:end;dominant-baseline:middle}
svg .label{text-anchor:middle;dominant-baseline:hanging}
footer{color:var(--muted);font-size:.8rem;text-align:center}
@media (max-width:40rem){body{font-size:14px}main{padding:1rem .5rem}section{padding:.7rem .6rem}.columns{grid-template-columns:1fr}th,td{padding:.25rem .3rem}.scroll table{font-size:12px}.scroll th{font-size:11px}.scroll th,.scroll td{padding:.2rem .15rem}svg text{font-size:18px}svg.wide text{font-size:28px}dl{grid-template-columns:1fr}dd{margin-bottom:.3rem}}
@media print{:root{color-scheme:light;--ink:#000;--muted:#444;--line:#aaa;--accent:#2f6db5;--page:#fff;--card:#fff}body{font-size:10pt}main{max-width:none;padding:0}section,.total{border-radius:0}.columns{grid-template-columns:repeat(2,minmax(0,1fr))}h2,h3{break-after:avoid}svg,tr,dl{break-inside:avoid}.scroll{overflow:visible}*{-webkit-print-color-adjust:exact;print-color-adjust:exact}}
)";
