// The standard names of HTTP statuses, of the common IIS sub-statuses and
// of the Windows status codes IIS logs most often.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// The name of a status with its sub-status and Windows status (-1 where
/// the log has none): the sub-status's meaning when known, else the HTTP
/// reason, with the Windows code's meaning after it when the status is an
/// error or the code is not 0. Empty when none is known.
std::string HttpStatusName(std::int64_t status, std::int64_t substatus, std::int64_t win32);
