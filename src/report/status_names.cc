#include "report/status_names.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string>

namespace {

struct Named {
  std::int64_t code;
  // cppcheck-suppress unusedStructMember ; read through the table
  std::string_view name;
};

constexpr Named kReasons[] = {
    {100, "Continue"}, {101, "Switching Protocols"}, {200, "OK"}, {201, "Created"},
    {202, "Accepted"}, {203, "Non-Authoritative Information"}, {204, "No Content"},
    {205, "Reset Content"}, {206, "Partial Content"}, {207, "Multi-Status"},
    {300, "Multiple Choices"}, {301, "Moved Permanently"}, {302, "Found"},
    {303, "See Other"}, {304, "Not Modified"}, {307, "Temporary Redirect"},
    {308, "Permanent Redirect"}, {400, "Bad Request"}, {401, "Unauthorized"},
    {402, "Payment Required"}, {403, "Forbidden"}, {404, "Not Found"},
    {405, "Method Not Allowed"}, {406, "Not Acceptable"}, {407, "Proxy Authentication Required"},
    {408, "Request Timeout"}, {409, "Conflict"}, {410, "Gone"}, {411, "Length Required"},
    {412, "Precondition Failed"}, {413, "Content Too Large"}, {414, "URI Too Long"},
    {415, "Unsupported Media Type"}, {416, "Range Not Satisfiable"}, {417, "Expectation Failed"},
    {421, "Misdirected Request"}, {422, "Unprocessable Content"}, {426, "Upgrade Required"},
    {429, "Too Many Requests"}, {431, "Request Header Fields Too Large"},
    {500, "Internal Server Error"}, {501, "Not Implemented"}, {502, "Bad Gateway"},
    {503, "Service Unavailable"}, {504, "Gateway Timeout"}, {505, "HTTP Version Not Supported"},
};

// Status * 1000 + sub-status.
constexpr Named kSubstatuses[] = {
    {400001, "Invalid Destination header"}, {400002, "Invalid Depth header"},
    {401001, "Logon failed"}, {401002, "Logon failed due to server configuration"},
    {401003, "Unauthorized due to ACL on resource"}, {401004, "Authorization failed by filter"},
    {401005, "Authorization failed by ISAPI/CGI application"},
    {403001, "Execute access forbidden"}, {403002, "Read access forbidden"},
    {403003, "Write access forbidden"}, {403004, "SSL required"},
    {403005, "SSL 128 required"}, {403006, "IP address rejected"},
    {403007, "Client certificate required"}, {403008, "Site access denied"},
    {403014, "Directory listing denied"}, {403016, "Client certificate is untrusted or invalid"},
    {403018, "Cannot execute requested URL in the current application pool"},
    {403502, "Too many requests from the same client IP"},
    {403503, "Rejected due to IP address restriction"},
    {404000, "Not found"}, {404002, "ISAPI or CGI restriction"},
    {404003, "MIME type restriction"}, {404004, "No handler configured"},
    {404005, "Denied by request filtering configuration"}, {404006, "Verb denied"},
    {404007, "File extension denied"}, {404008, "Hidden namespace"},
    {404009, "File attribute hidden"}, {404010, "Request header too long"},
    {404011, "Request contains double escape sequence"},
    {404012, "Request contains high-bit characters"}, {404013, "Content length too large"},
    {404014, "Request URL too long"}, {404015, "Query string too long"},
    {404017, "Dynamic content mapped to the static file handler"},
    {404018, "Query string sequence denied"}, {404019, "Denied by filtering rule"},
    {404020, "Too many URL segments"},
    {500000, "Module or ISAPI error occurred"}, {500011, "Application is shutting down"},
    {500012, "Application is busy restarting"}, {500013, "Web server is too busy"},
    {500015, "Direct requests for Global.asax are not allowed"},
    {500019, "Configuration data is invalid"}, {500021, "Module not recognized"},
    {500022, "ASP.NET httpModules configuration does not apply in Managed Pipeline mode"},
    {500100, "Internal ASP error"}, {502002, "Bad gateway: the CGI application did not return a complete set of HTTP headers"},
    {502003, "Bad gateway: forwarder connection error"},
    {503000, "Application pool unavailable"}, {503002, "Concurrent request limit exceeded"},
};

constexpr Named kWin32[] = {
    {0, "The operation completed successfully"}, {1, "Incorrect function"},
    {2, "The system cannot find the file specified"},
    {3, "The system cannot find the path specified"}, {5, "Access is denied"},
    {6, "The handle is invalid"}, {50, "The request is not supported"},
    {64, "The specified network name is no longer available"},
    {121, "The semaphore timeout period has expired"},
    {123, "The filename, directory name, or volume label syntax is incorrect"},
    {1236, "The network connection was aborted by the local system"},
    {1326, "The user name or password is incorrect"},
    {10053, "An established connection was aborted by the software in your host machine"},
    {10054, "An existing connection was forcibly closed by the remote host"},
    {10060, "The connection attempt timed out"},
};

template <std::size_t N>
std::string_view Find(const Named (&table)[N], std::int64_t code) {
  const auto* found = std::find_if(std::begin(table), std::end(table),
                                   [&](const Named& named) { return named.code == code; });
  return found == std::end(table) ? std::string_view() : found->name;
}

}  // namespace

std::string HttpStatusName(std::int64_t status, std::int64_t substatus, std::int64_t win32) {
  std::string name;
  if (substatus > 0 && substatus < 1000) name = Find(kSubstatuses, status * 1000 + substatus);
  if (name.empty()) name = Find(kReasons, status);
  if (win32 > 0) {
    const std::string_view system = Find(kWin32, win32);
    if (!system.empty()) {
      if (!name.empty()) name += "; ";
      name += system;
    }
  }
  return name;
}
