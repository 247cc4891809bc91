#include "run/run.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "fakes.h"
#include "test_util.h"

namespace {

const char kUsage[] =
    "Vantrix 1.2 - hit statistics for IIS web server logs, comma-separated or W3C extended\n"
    "Counts pages, users and sessions of the GET requests that pass the filters below.\n"
    "Usage: vantrix [-debug] [-verbose] [options] file or patterns\n"
    "Options are:\n"
    "  -rRootPath\n"
    "  -eExcludeIP[,ExcludeIP] where ExcludeIP is a mask (n.n-n.*)\n"
    "  -oOutputFile (default is the console)\n"
    "  -sServerIP[,ServerIP] where ServerIP is a mask (n.n-n.*)\n"
    "  -pExcludePattern[,ExcludePattern] (default is: *.gif,*.jpg)\n"
    "  -nNumPagesToShow (# on top)\n"
    "  -cCustomerName\n"
    "  -uNumUsersToShow\n"
    "  -Norwegian\n";

// A run over fake directories whose patterns name real files in a scratch
// folder, with both output streams captured.
struct RunFixture {
  RunFixture() : run(&directories, &resolver, 0) {
    run.out = out.file();
    run.err = err.file();
    run.standard_out = out.file();
  }
  ~RunFixture() {
    // The run closes its -o file itself.
  }

  // Makes `pattern` match one log file holding `content`.
  void AddLog(const std::string& pattern, const std::string& content) {
    directories.matches[pattern] = {{scratch.Write(pattern, content), true}};
  }

  int Main(std::vector<std::string> args) {
    args.insert(args.begin(), "vantrix");
    argv_storage = args;
    std::vector<char*> argv;
    for (std::string& arg : argv_storage) argv.push_back(arg.data());
    return RunMain(&run, static_cast<int>(argv.size()), argv.data());
  }

  ScratchDir scratch;
  FakeDirectorySearch directories;
  FakeResolver resolver;
  CapturedStream out;
  CapturedStream err;
  Run run;
  std::vector<std::string> argv_storage;  // the options point into these
};

TEST(RunTest, UsageWithoutFiles) {
  RunFixture f;
  EXPECT_EQ(255, f.Main({}));
  EXPECT_EQ(kUsage, f.err.Text());
  EXPECT_EQ("", f.out.Text());
}

TEST(RunTest, UsageNamesUnknownOption) {
  for (const char* arg : {"-x", "-V", "-h", "--", "-help", "--helps", "-f", "-fJSON", "-fxml",
                          "-fjson "}) {
    RunFixture f;
    f.AddLog("a.log", IisLine(IisFields()));
    EXPECT_EQ(255, f.Main({"a.log", arg})) << arg;
    std::string expected = kUsage;
    expected.insert(expected.find("Usage:"), std::string(arg) + ": Unknown parameter\n");
    EXPECT_EQ(expected, f.err.Text()) << arg;
    // Files read before the unknown option give no report.
    EXPECT_EQ("", f.out.Text()) << arg;
  }
}

TEST(RunTest, PatternMatchingNothingIsNoFileRead) {
  RunFixture f;
  EXPECT_EQ(255, f.Main({"-v", "missing*.log"}));
  EXPECT_EQ("vantrix: No files match pattern: missing*.log\n" + std::string(kUsage),
            f.err.Text());
}

TEST(RunTest, OptionReadings) {
  struct Case {
    std::vector<std::string> args;
    std::function<void(const Options&)> check;
  };
  const Case cases[] = {
      {{"-d0"}, [](const Options& o) { EXPECT_EQ(1, o.DebugLevel); }},
      {{"-debug"}, [](const Options& o) { EXPECT_EQ(1, o.DebugLevel); }},
      {{"-d7"}, [](const Options& o) { EXPECT_EQ(7, o.DebugLevel); }},
      {{"-d-4"}, [](const Options& o) { EXPECT_EQ(1, o.DebugLevel); }},
      {{"-d 12x"}, [](const Options& o) { EXPECT_EQ(12, o.DebugLevel); }},
      {{"-n0"}, [](const Options& o) { EXPECT_EQ(0, o.NumPagesToShow); }},
      {{"-nabc"}, [](const Options& o) { EXPECT_EQ(0, o.NumPagesToShow); }},
      {{"-n25"}, [](const Options& o) { EXPECT_EQ(25, o.NumPagesToShow); }},
      {{"-n-3"}, [](const Options& o) { EXPECT_EQ(-3, o.NumPagesToShow); }},
      {{"-n+8"}, [](const Options& o) { EXPECT_EQ(8, o.NumPagesToShow); }},
      {{"-n99999999999"}, [](const Options& o) { EXPECT_EQ(INT_MAX, o.NumPagesToShow); }},
      {{"-u-99999999999"}, [](const Options& o) { EXPECT_EQ(INT_MIN, o.NumUsersToShow); }},
      {{"-n5", "-n7"}, [](const Options& o) { EXPECT_EQ(7, o.NumPagesToShow); }},
      {{"-u3"}, [](const Options& o) { EXPECT_EQ(3, o.NumUsersToShow); }},
      // The last -f wins; anything but text, anywhere, gathers what the
      // JSON and HTML reports show.
      {{"-fjson"}, [](const Options& o) {
         EXPECT_EQ(ReportFormat::kJson, o.Format);
         EXPECT_TRUE(o.gather_traffic);
       }},
      {{"-fhtml", "-ftext"}, [](const Options& o) {
         EXPECT_EQ(ReportFormat::kText, o.Format);
         EXPECT_TRUE(o.gather_traffic);
       }},
      {{"-ftext", "-fhtml"}, [](const Options& o) { EXPECT_EQ(ReportFormat::kHtml, o.Format); }},
      {{"-ftext"}, [](const Options& o) { EXPECT_FALSE(o.gather_traffic); }},
      {{}, [](const Options& o) {
         EXPECT_STREQ("\"use the -c switch to place your company name here\"", o.CustomerName);
         EXPECT_STREQ("*.gif,*.jpg", o.ExcludePattern);
         EXPECT_STREQ("", o.RootPath);
         EXPECT_EQ(nullptr, o.ExcludeIP);
         EXPECT_EQ(nullptr, o.ServerIP);
         EXPECT_EQ(10, o.NumPagesToShow);
         EXPECT_EQ(10, o.NumUsersToShow);
         EXPECT_EQ(0, o.DebugLevel);
         EXPECT_FALSE(o.Verbose);
         EXPECT_FALSE(o.Norwegian);
         EXPECT_EQ(ReportFormat::kText, o.Format);
         EXPECT_FALSE(o.gather_traffic);
       }},
      {{"-c"}, [](const Options& o) { EXPECT_STREQ("", o.CustomerName); }},
      {{"-cAcme Inc"}, [](const Options& o) { EXPECT_STREQ("Acme Inc", o.CustomerName); }},
      {{"-N"}, [](const Options& o) {
         EXPECT_TRUE(o.Norwegian);
         EXPECT_STREQ("Brennholm Konsult", o.CustomerName);
       }},
      {{"-Norwegian", "-cAcme"}, [](const Options& o) { EXPECT_STREQ("Acme", o.CustomerName); }},
      {{"-verbose"}, [](const Options& o) { EXPECT_TRUE(o.Verbose); }},
      {{"-r/shop", "-e10.*.*.*", "-s", "-p*.png"}, [](const Options& o) {
         EXPECT_STREQ("/shop", o.RootPath);
         EXPECT_STREQ("10.*.*.*", o.ExcludeIP);
         EXPECT_STREQ("", o.ServerIP);  // given, though empty
         EXPECT_STREQ("*.png", o.ExcludePattern);
       }},
  };
  for (const Case& c : cases) {
    RunFixture f;
    f.AddLog("a.log", "");
    std::vector<std::string> args = c.args;
    args.push_back("a.log");
    EXPECT_EQ(0, f.Main(args)) << ::testing::PrintToString(c.args);
    c.check(f.run.options);
  }
}

// Options reach only the patterns after them.
TEST(RunTest, OptionsApplyToLaterPatterns) {
  RunFixture f;
  f.AddLog("a.log", "");
  f.AddLog("b.log", "");
  EXPECT_EQ(0, f.Main({"a.log", "-v", "b.log"}));
  EXPECT_EQ("vantrix: Processing file " + f.scratch.path() + "/b.log\n"
            "Performing reverse DNS lookup on 10 on top users...\n",
            f.err.Text());
}

TEST(RunTest, CountsFilesOfEveryPattern) {
  RunFixture f;
  f.AddLog("a.log", IisLine(IisFields()));
  f.directories.matches["*.log"] = {{f.scratch.Write("b.log", ""), true},
                                    {f.scratch.path(), false},
                                    {f.scratch.path() + "/gone.log", true}};
  EXPECT_EQ(0, f.Main({"-v", "a.log", "*.log"}));
  EXPECT_EQ(2, f.run.stats.totals.FilesProcessed);
  const std::string dir = f.scratch.path();
  EXPECT_EQ("vantrix: Processing file " + dir + "/a.log\n"
            "vantrix: Processing file " + dir + "/b.log\n"
            "vantrix: Skipping " + dir + " due to suspect file attributes...\n"
            "vantrix: Unable to open file " + dir + "/gone.log for read\n"
            "Performing reverse DNS lookup on 10 on top users...\n"
            "  Looking up 192.168.0.10... [unresolved]\n",
            f.err.Text());
  ASSERT_EQ(2u, f.run.summary.problem_files.size());
  EXPECT_EQ(FileProblem::kNotRegular, f.run.summary.problem_files[0].problem);
  EXPECT_EQ(FileProblem::kMissing, f.run.summary.problem_files[1].problem);
  EXPECT_EQ(2, f.run.summary.FilesRead());
}

TEST(RunTest, SkippedMatchesAreSilentWithoutVerboseOrDebug) {
  RunFixture f;
  f.AddLog("a.log", "");
  f.directories.matches["d*"] = {{f.scratch.path(), false}};
  EXPECT_EQ(0, f.Main({"d*", "nothing*", "a.log"}));
  EXPECT_EQ("", f.err.Text());
}

TEST(RunTest, ReportWriteFailureIsAFailure) {
  RunFixture f;
  f.AddLog("a.log", IisLine(IisFields()));
  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(nullptr, full);
  f.run.out = full;
  EXPECT_EQ(255, f.Main({"a.log"}));
  EXPECT_EQ("vantrix: Failed to write the report\n", f.err.Text());
  std::fclose(full);
}

std::string Content(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The report must not overwrite a log, whichever comes first on the
// command line and whatever link leads to it; the run ends before anything
// is written or emptied.
TEST(RunTest, OutputFileThatIsALogEndsTheRun) {
  const std::string log = IisLine(IisFields());
  struct Case {
    const char* name;
    std::vector<std::string> args;  // "LOG" and "LINK" stand for the paths
  };
  const Case cases[] = {
      {"output first", {"-v", "-oLOG", "a.log"}},
      {"log first", {"-v", "a.log", "-oLOG"}},
      {"through a link", {"-v", "-oLINK", "a.log"}},
      {"link first", {"-v", "a.log", "-oLINK"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunFixture f;
    f.AddLog("a.log", log);
    const std::string path = f.scratch.path() + "/a.log";
    const std::string link = f.scratch.path() + "/link.txt";
    std::filesystem::create_symlink(path, link);
    std::vector<std::string> args = c.args;
    for (std::string& arg : args) {
      if (arg == "-oLOG") arg = "-o" + path;
      if (arg == "-oLINK") arg = "-o" + link;
    }
    EXPECT_EQ(255, f.Main(args));
    const std::string refusal = "vantrix: '" + path + "' is both a log file and the output file\n";
    // A log matched after -o is refused before it is opened.
    const std::string processing =
        args[1] == "a.log" ? "vantrix: Processing file " + path + "\n" : "";
    EXPECT_EQ(processing + refusal, f.err.Text());
    EXPECT_EQ(log, Content(path));
  }
}

// The -o file keeps what it holds until a report goes in.
TEST(RunTest, OutputFileKeptUntilTheReport) {
  const std::string old_report = std::string(5000, 'o') + "\n";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    bool kept;
  };
  const Case cases[] = {
      {"unknown option", {"-oREPORT", "a.log", "-x"}, 255, true},
      {"no file read", {"-oREPORT", "missing.log"}, 255, true},
      {"later -o", {"-oREPORT", "a.log", "-oOTHER"}, 0, true},
      {"report", {"-oREPORT", "a.log"}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunFixture f;
    f.AddLog("a.log", IisLine(IisFields()));
    const std::string report = f.scratch.Write("report.txt", old_report);
    std::vector<std::string> args = c.args;
    for (std::string& arg : args) {
      if (arg == "-oREPORT") arg = "-o" + report;
      if (arg == "-oOTHER") arg = "-o" + f.scratch.path() + "/other.txt";
    }
    EXPECT_EQ(c.status, f.Main(args));
    if (c.kept) {
      EXPECT_EQ(old_report, Content(report));
    } else {
      EXPECT_EQ(0u, Content(report).find("Web page hit statistics"));
      EXPECT_EQ(std::string::npos, Content(report).find("ooo"));
    }
  }
}

// A match that turns into a FIFO or a device after the pattern was expanded
// is skipped as what it is now: reading it would block or never end.
TEST(RunTest, MatchSwappedForAFifoOrADeviceIsSkipped) {
  RunFixture f;
  const std::string fifo = f.scratch.path() + "/fifo.log";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  const std::string zero = f.scratch.path() + "/zero.log";
  std::filesystem::create_symlink("/dev/zero", zero);
  f.AddLog("a.log", IisLine(IisFields()));
  // Regular when the pattern was expanded.
  f.directories.matches["*.log"] = {{fifo, true}, {zero, true}};
  EXPECT_EQ(0, f.Main({"-v", "*.log", "a.log"}));
  EXPECT_EQ(1, f.run.stats.totals.FilesProcessed);
  EXPECT_EQ("vantrix: Skipping " + fifo + " due to suspect file attributes...\n"
            "vantrix: Skipping " + zero + " due to suspect file attributes...\n"
            "vantrix: Processing file " + f.scratch.path() + "/a.log\n"
            "Performing reverse DNS lookup on 10 on top users...\n"
            "  Looking up 192.168.0.10... [unresolved]\n",
            f.err.Text());
}

TEST(RunTest, ProgramName) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\tools\\prog.exe", "prog.exe"},
      {"/usr/bin/vantrix", "/usr/bin/vantrix"},
      {"vantrix", "vantrix"},
      {"a\\b/c", "b/c"},
      {"trailing\\", ""},
  };
  for (const auto& [argv0, name] : cases) EXPECT_STREQ(name, ProgramNameOf(argv0)) << argv0;
}

}  // namespace
