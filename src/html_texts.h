// The web page's texts (-fhtml) in both languages. The page is UTF-8, and
// letters beyond ASCII are written as character references ("&#248;" is
// the Norwegian letter), so these stay ASCII too. "%s" takes text already
// escaped. Long words of column headings carry soft hyphens ("&#173;"),
// where a phone's narrow column may break them.
#pragma once

namespace texts {

struct HtmlTexts {
  const char* language;  // the page's lang attribute
  const char* title;
  const char* period;
  const char* hits;
  const char* sessions;
  const char* users;
  const char* bytes;
  const char* files;
  const char* per_day;
  const char* by_hour;
  const char* no_date;
  const char* no_hits;
  const char* statuses;
  const char* status;
  const char* other_status;  // the row of the texts that are not three digits
  const char* pages_heading;
  const char* page;
  const char* users_heading;
  const char* user;
  const char* made_by;
  // What was read.
  const char* read_heading;
  const char* files_read;
  const char* comma_files;
  const char* w3c_files;
  const char* compressed;
  const char* problems[5];  // in FileProblem order
  const char* empty_pattern;
  const char* lines_read;
  const char* directives;
  const char* counted;
  const char* left_out;
  const char* left_out_reasons[12];  // by line verdict; the accepted one unused
  const char* other_site;
  const char* robots;
  const char* bad_dates;
  const char* out_of_range;
  // Numbers: between groups of three digits, and the decimal mark.
  const char* thousands;
  const char* decimal;
  const char* untitled;  // the title without -c
  const char* date;
  const char* hour;
  const char* sessions_short;  // a column heading
  // How the report was made.
  const char* made_heading;
  const char* root_path;
  const char* exclude_ip;
  const char* server_ip;
  const char* exclude_pattern;
  const char* range;
  const char* time_zone;
  const char* log_formats;
  const char* made_at;
  const char* all;       // no filter given: everything counts
  const char* none;      // nothing left out
  const char* range_from;  // "from %s"
  const char* range_to;    // "before %s"
  const char* standard_time;  // after the zone's offset
  // The panels of every request.
  const char* requests_note;  // "%s": the number of requests
  const char* requests;
  const char* not_in_logs;
  const char* status_heading;
  const char* windows_status;
  const char* status_name;
  const char* page_hits;
  const char* errors_heading;
  const char* error_paths;
  const char* error_clients;
  const char* errors_by_hour;
  const char* errors;
  const char* no_errors;
  const char* client;
  const char* time_heading;
  const char* time_note;
  const char* timed;  // the requests with a time taken
  const char* median;
  const char* all_requests;
  const char* time_by_hour;
  const char* slowest_paths;  // "%d": the least requests to be ranked
  const char* most_time_paths;
  const char* mean;
  const char* maximum;
  const char* total;
  const char* bytes_heading;
  const char* bytes_paths;
  const char* days_heading;
  const char* hours_heading;
  // Who is behind the requests.
  const char* robots_heading;
  const char* people;
  const char* agent_share_note;  // "%s": the requests with a user agent
  const char* robot_kinds;
  const char* kind;
  // The kinds of robot: search_engine, ai_crawler, seo_marketing, monitor,
  // feed_reader, library_tool, scanner, other.
  const char* robot_kind_names[8];
  const char* top_robots;
  const char* robot;
  const char* unnamed_agents;  // "%s": their requests
  const char* browsers_heading;
  const char* people_share_note;  // "%s": people's requests
  const char* browsers;
  const char* browser;
  const char* systems;
  const char* system;
  const char* referrers_heading;
  const char* referred_note;  // "%s": the requests referred from elsewhere
  const char* no_referrers;
  const char* referrer_sites;
  const char* referrer_pages;
  const char* site;
  const char* sites_heading;
  const char* one_site;  // "%s": its name
};

inline constexpr HtmlTexts kHtmlEnglish = {
    "en",
    "Web page hit statistics for %s",
    "from %s to %s",
    "Hits",
    "User sessions",
    "Users",
    "Bytes sent",
    "Files read",
    "Hits per day",
    "Hits by hour of the day",
    "no date",
    "No hit was counted.",
    "Hits by status code",
    "Status",
    "other",
    "The %d most visited pages",
    "Page",
    "The %d most active users",
    "User",
    "Made by %s %s",
    "What was read",
    "Files read",
    "comma-separated",
    "W3C extended",
    "compressed",
    {"skipped as missing", "skipped as unreadable", "skipped as not a regular file",
     "damaged, read up to the damage", "cut short by a read error"},
    "matched no file",
    "Lines read",
    "W3C directives",
    "counted",
    "left out",
    {"", "incomplete data", "more fields than its #Fields line names", "wrong service (not W3SVC)", "wrong mode of operation (not GET)",
     "wrong server IP number", "wrong root path", "user IP on the exclude list",
     "file on the exclude list", "missing parameter", "continuing a line longer than 2047 bytes",
     "longer than 65536 bytes"},
    "of a site --site does not name",
    "robot",
    "bad date",
    "outside the date range",
    ",",
    ".",
    "Web page hit statistics",
    "Date",
    "Hour",
    "Ses&#173;sions",
    "How this report was made",
    "Root path (-r)",
    "Users left out (-e)",
    "Servers (-s)",
    "Files left out (-p)",
    "Time range (--from, --to)",
    "Time zone",
    "Log formats",
    "Made",
    "all",
    "none",
    "from %s",
    "before %s",
    "standard time",
    "Every request of the web service that passes the address, server and root filters counts in these panels, whatever its method and whether or not its file is left out as no page: %s requests. The rest of the page counts page hits.",
    "Re&#173;quests",
    "not in these logs",
    "Requests by status",
    "Windows status",
    "Meaning",
    "Page hits",
    "Errors",
    "The paths with the most errors, by status",
    "The clients with the most errors",
    "Errors by hour of the day",
    "Errors",
    "No request ended in an error (status 400 to 599).",
    "Client",
    "Time taken",
    "In milliseconds (ms), as IIS writes them; the percentiles are within 1% of the exact value.",
    "Timed",
    "Median",
    "All requests",
    "Time taken by hour of the day",
    "The slowest paths by mean time (at least %d requests)",
    "The paths with the most time in all",
    "Mean",
    "Max",
    "Total",
    "Bandwidth",
    "The paths with the most bytes sent",
    "Day by day",
    "Requests by hour of the day",
    "Robots",
    "People",
    "Shares of the %s requests with a user agent.",
    "Robots by kind",
    "Kind",
    {"Search engine", "AI crawler", "SEO or marketing", "Monitor", "Feed reader",
     "Library or tool", "Scanner", "Other"},
    "The robots with the most requests",
    "Robot",
    "%s requests came from user agents past the number this run tells apart: they count as people's, under no name.",
    "Browsers and systems",
    "Shares of people's %s requests; robots are left out.",
    "Browsers",
    "Browser",
    "Operating systems",
    "System",
    "Referrers",
    "%s requests came with a referrer from another site.",
    "No request came with a referrer from another site.",
    "Referring sites",
    "Referring pages",
    "Site",
    "Sites",
    "Every request was of one site: %s.",
};

inline constexpr HtmlTexts kHtmlNorwegian = {
    "nb",
    "Bes&#248;ksstatistikk for %s",
    "i perioden %s til %s",
    "Opp&#173;slag",
    "Brukersesjoner",
    "Bru&#173;kere",
    "Bytes sendt",
    "Filer lest",
    "Oppslag per dag",
    "Oppslag per time p&#229; d&#248;gnet",
    "uten dato",
    "Ingen oppslag ble talt.",
    "Oppslag per statuskode",
    "Status",
    "andre",
    "De %d mest bes&#248;kte sidene i perioden",
    "Side",
    "De %d mest aktive brukerne i perioden",
    "Bruker",
    "Laget av %s %s",
    "Hva som ble lest",
    "Filer lest",
    "kommaseparerte",
    "W3C extended",
    "komprimerte",
    {"hoppet over: finnes ikke", "hoppet over: kan ikke leses",
     "hoppet over: ikke en vanlig fil", "skadet, lest fram til skaden",
     "avbrutt av en lesefeil"},
    "ga ingen treff",
    "Linjer lest",
    "W3C-direktiver",
    "talt",
    "utelatt",
    {"", "ufullstendige data", "flere felt enn #Fields-linjen navngir",
     "feil tjeneste (ikke W3SVC)", "feil metode (ikke GET)",
     "feil server-IP", "feil rotsti", "bruker-IP p&#229; ekskluderingslisten",
     "fil p&#229; ekskluderingslisten", "manglende parameter",
     "fortsetter en linje lengre enn 2047 byte", "lengre enn 65536 byte"},
    "fra et nettsted --site ikke nevner",
    "robot",
    "ugyldig dato",
    "utenfor datoperioden",
    "&#160;",
    ",",
    "Bes&#248;ksstatistikk",
    "Dato",
    "Time",
    "Se&#173;sjo&#173;ner",
    "Slik ble rapporten laget",
    "Rotsti (-r)",
    "Brukere utelatt (-e)",
    "Servere (-s)",
    "Filer utelatt (-p)",
    "Tidsrom (--from, --to)",
    "Tidssone",
    "Loggformater",
    "Laget",
    "alle",
    "ingen",
    "fra %s",
    "f&#248;r %s",
    "normaltid",
    "Alle foresp&#248;rsler til webtjenesten som slipper gjennom adresse-, server- og rotfiltrene teller i disse panelene, uansett metode og om filen er utelatt som ikke-side: %s foresp&#248;rsler. Resten av siden teller oppslag.",
    "Foresp&#173;&#248;r&#173;sler",
    "finnes ikke i disse loggene",
    "Foresp&#248;rsler per status",
    "Windows-status",
    "Betydning",
    "Opp&#173;slag",
    "Feil",
    "Stiene med flest feil, per status",
    "Klientene med flest feil",
    "Feil per time p&#229; d&#248;gnet",
    "Feil",
    "Ingen foresp&#248;rsel endte med feil (status 400 til 599).",
    "Klient",
    "Svartid",
    "I millisekunder (ms), slik IIS skriver dem; persentilene ligger innenfor 1&#160;% av den eksakte verdien.",
    "M&#229;lt",
    "Median",
    "Alle foresp&#248;rsler",
    "Svartid per time p&#229; d&#248;gnet",
    "De tregeste stiene etter snittid (minst %d foresp&#248;rsler)",
    "Stiene med mest tid i alt",
    "Snitt",
    "Maks",
    "Totalt",
    "B&#229;ndbredde",
    "Stiene med flest bytes sendt",
    "Dag for dag",
    "Foresp&#248;rsler per time p&#229; d&#248;gnet",
    "Roboter",
    "Personer",
    "Andeler av de %s foresp&#248;rslene med brukeragent.",
    "Roboter etter type",
    "Type",
    {"S&#248;kemotor", "KI-crawler", "SEO eller markedsf&#248;ring", "Overv&#229;king",
     "Nyhetsleser", "Bibliotek eller verkt&#248;y", "Skanner", "Annet"},
    "Robotene med flest foresp&#248;rsler",
    "Robot",
    "%s foresp&#248;rsler kom fra brukeragenter utover antallet denne kj&#248;ringen skiller fra hverandre: de telles som personers, uten navn.",
    "Nettlesere og systemer",
    "Andeler av personers %s foresp&#248;rsler; roboter er holdt utenfor.",
    "Nettlesere",
    "Nettleser",
    "Operativsystemer",
    "System",
    "Henvisninger",
    "%s foresp&#248;rsler kom med henvisning fra et annet nettsted.",
    "Ingen foresp&#248;rsel kom med henvisning fra et annet nettsted.",
    "Henvisende nettsteder",
    "Henvisende sider",
    "Nettsted",
    "Nettsteder",
    "Alle foresp&#248;rsler gjaldt ett nettsted: %s.",
};

}  // namespace texts
