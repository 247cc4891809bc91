// The cost of telling browsers, systems and robots apart: the time to build
// the parser, and the time per distinct agent over a mix of about a thousand
// (current browsers on the common systems, robots, tools, junk and a few
// agents of the longest kept, made to be hard on the matching). The agents
// are parsed on a thread of the default stack size, then classified by the
// robot list.
//
//   vantrix_agents_bench [ROUNDS]
//
// Prints the best and the median round; processor time beside wall time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "stats/robots.h"
#include "stats/user_agents.h"

namespace {

std::vector<std::string> Agents() {
  std::vector<std::string> agents;
  const std::string webkit = ") AppleWebKit/537.36 (KHTML, like Gecko) Chrome/";
  const char* desktops[] = {"Windows NT 10.0; Win64; x64", "Macintosh; Intel Mac OS X 10_15_7",
                            "X11; Linux x86_64", "Windows NT 6.1; Win64; x64"};
  const char* phones[] = {"Linux; Android 10; K", "Linux; Android 14; SM-S921B",
                          "Linux; Android 13; Pixel 7", "Linux; Android 12; moto g(30)"};
  for (int v = 100; v <= 131; ++v) {
    const std::string ver = std::to_string(v);
    for (const char* d : desktops) {
      agents.push_back("Mozilla/5.0 (" + std::string(d) + webkit + ver + ".0.0.0 Safari/537.36");
      agents.push_back("Mozilla/5.0 (" + std::string(d) + webkit + ver +
                       ".0.0.0 Safari/537.36 Edg/" + ver + ".0.2210.91");
      agents.push_back("Mozilla/5.0 (" + std::string(d) + "; rv:" + ver +
                       ".0) Gecko/20100101 Firefox/" + ver + ".0");
    }
    for (const char* p : phones) {
      agents.push_back("Mozilla/5.0 (" + std::string(p) + webkit + ver +
                       ".0.6778.81 Mobile Safari/537.36");
      agents.push_back("Mozilla/5.0 (Android " + std::string(p).substr(15, 2) +
                       "; Mobile; rv:" + ver + ".0) Gecko/" + ver + ".0 Firefox/" + ver + ".0");
    }
  }
  for (int major = 15; major <= 18; ++major) {
    for (int minor = 0; minor <= 6; ++minor) {
      const std::string v = std::to_string(major) + "_" + std::to_string(minor);
      const std::string dotted = std::to_string(major) + "." + std::to_string(minor);
      const std::string tail = ") AppleWebKit/605.1.15 (KHTML, like Gecko) Version/" + dotted;
      agents.push_back("Mozilla/5.0 (iPhone; CPU iPhone OS " + v + " like Mac OS X" + tail +
                       " Mobile/15E148 Safari/604.1");
      agents.push_back("Mozilla/5.0 (iPad; CPU OS " + v + " like Mac OS X" + tail +
                       " Mobile/15E148 Safari/604.1");
      agents.push_back("Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7" + tail +
                       " Safari/605.1.15");
      agents.push_back("Mozilla/5.0 (iPhone; CPU iPhone OS " + v +
                       " like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) CriOS/131.0." +
                       std::to_string(minor) + " Mobile/15E148 Safari/604.1");
    }
  }
  const char* robots[] = {
      "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
      "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; GPTBot/1.2; "
      "+https://openai.com/gptbot)",
      "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)",
      "Mozilla/5.0 (compatible; AhrefsBot/7.0; +http://ahrefs.com/robot/)",
      "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)",
      "Mozilla/5.0 (compatible; Baiduspider/2.0; +http://www.baidu.com/search/spider.html)",
      "Mozilla/5.0 (compatible; SemrushBot/7~bl; +http://www.semrush.com/bot.html)",
      "facebookexternalhit/1.1 (+http://www.facebook.com/externalhit_uatext.php)",
      "Mozilla/5.0 (compatible; DotBot/1.2; +https://opensiteexplorer.org/dotbot)",
      "Mozilla/5.0 (compatible; ClaudeBot/1.0; +claudebot@anthropic.com)",
  };
  for (const char* r : robots) agents.push_back(r);
  const char* tools[] = {"curl/", "Wget/",   "python-requests/", "Go-http-client/",
                         "Java/", "okhttp/", "PostmanRuntime/",  "axios/"};
  for (const char* t : tools) {
    for (int v = 1; v <= 8; ++v) agents.push_back(std::string(t) + std::to_string(v) + ".2.0");
  }
  std::mt19937 random(7);
  while (agents.size() < 990) {
    std::string junk(10 + random() % 190, ' ');
    for (char& c : junk) c = static_cast<char>(' ' + random() % 95);
    agents.push_back(junk);
  }
  std::string repeated;
  while (repeated.size() < kMaxAgentBytes) repeated += "Chrome/1 Android ";
  for (const std::string& hostile :
       {std::string(kMaxAgentBytes, 'a'), std::string(kMaxAgentBytes, '('),
        std::string(kMaxAgentBytes, ' '), std::string(kMaxAgentBytes, '1'),
        "Mozilla/5.0 (" + std::string(kMaxAgentBytes, ';'), repeated}) {
    agents.push_back(AgentText(hostile));
  }
  return agents;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const std::vector<std::string> agents = Agents();
  std::vector<double> build, build_cpu, wall, cpu, robot_wall, robot_cpu;
  const RobotClassifier robots;
  std::size_t robot_count = 0;
  // Each agent's best time over the rounds: the slowest of them is its cost,
  // not a pause of the machine.
  std::vector<double> each(agents.size(), 1e9);
  std::size_t others = 0;
  for (int round = 0; round < rounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    const std::clock_t build_start = std::clock();
    const AgentParser parser;
    build.push_back(Since(start) * 1e3);
    build_cpu.push_back(static_cast<double>(std::clock() - build_start) / CLOCKS_PER_SEC * 1e3);
    std::thread parsing([&] {
      start = std::chrono::steady_clock::now();
      const std::clock_t cpu_start = std::clock();
      others = 0;
      for (std::size_t i = 0; i < agents.size(); ++i) {
        const auto one = std::chrono::steady_clock::now();
        others += parser.Parse(agents[i]).browser == "Other";
        each[i] = std::min(each[i], Since(one) * 1e6);
      }
      wall.push_back(Since(start) * 1e6 / static_cast<double>(agents.size()));
      cpu.push_back(static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC * 1e6 /
                    static_cast<double>(agents.size()));
      start = std::chrono::steady_clock::now();
      const std::clock_t robot_start = std::clock();
      robot_count = 0;
      for (const std::string& agent : agents) {
        robot_count += robots.Classify(agent).first != RobotKind::kNone;
      }
      robot_wall.push_back(Since(start) * 1e6 / static_cast<double>(agents.size()));
      robot_cpu.push_back(static_cast<double>(std::clock() - robot_start) / CLOCKS_PER_SEC * 1e6 /
                          static_cast<double>(agents.size()));
    });
    parsing.join();
  }
  std::printf("expressions %zu, agents %zu (%zu of browser Other)\n",
              AgentParser().expression_count(), agents.size(), others);
  for (auto* figures : {&build, &build_cpu, &wall, &cpu, &robot_wall, &robot_cpu}) {
    std::sort(figures->begin(), figures->end());
  }
  const auto mid = static_cast<std::size_t>(rounds / 2);
  std::printf("build: best %.1f ms, median %.1f ms (processor %.1f ms)\n", build[0], build[mid],
              build_cpu[mid]);
  std::printf("per agent: best %.1f us, median %.1f us (processor %.1f us)\n", wall[0], wall[mid],
              cpu[mid]);
  std::printf("robot list per agent: best %.1f us, median %.1f us (processor %.1f us); %zu robots\n",
              robot_wall[0], robot_wall[mid], robot_cpu[mid], robot_count);
  const auto worst_at =
      static_cast<std::size_t>(std::max_element(each.begin(), each.end()) - each.begin());
  std::printf("slowest agent: %.0f us, %zu bytes: %.40s...\n", each[worst_at],
              agents[worst_at].size(), agents[worst_at].c_str());
}
