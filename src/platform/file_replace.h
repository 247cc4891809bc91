// Replacing a file whole: the new content goes into a file of its own in
// the same folder, is made durable, and is then renamed over the old file
// in one step, so that the file holds its old content or all of the new,
// whatever happens while it is written.
#pragma once

#include <string>

/// Where `path` leads when its links are followed, link by link: the file
/// that a replacement replaces, so that a link stays a link. `path` itself
/// when it is no link, or when its links go round (opening it then fails).
std::string FollowLinks(const char* path);

/// Creates a new, empty file in the folder of `target`, under a name of its
/// own, with the permission bits of `target` when that exists and those of a
/// new file otherwise; returns its descriptor, open for writing, and puts
/// its name in `*temporary`. -1 with the C library's error number in
/// `*error` when no file can be created there.
int CreateBeside(const std::string& target, std::string* temporary, int* error);

/// Writes what the system holds of `file` to the disk; false on failure.
bool SyncFile(int file);

/// Puts the file `from` in the place of `to`, in one step; false on failure.
bool RenameOver(const std::string& from, const std::string& to);

/// Removes the file `path`, if it can.
void RemoveFile(const std::string& path);

/// Makes a write past the process's limit on file sizes fail, as a full
/// disk does, instead of ending the process: the run then tells of the
/// failure and the old file stays.
void FailWritesPastSizeLimit();
