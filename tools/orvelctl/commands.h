#pragma once
// The commands of orvelctl. Each answers the exit status: 0 done, 1 failed (one line on standard
// error says what failed).

#include <string>

#include "core/str.h"
#include "tools/orvelctl/session.h"

inline constexpr int exit_ok = 0;
inline constexpr int exit_failed = 1;
inline constexpr int exit_usage = 2;

// Writes "orvelctl: <message>" to standard error and answers exit_failed.
int fail(const std::string& message);

int cmd_ports();
int cmd_info(ctl_session& s);
int cmd_ls(ctl_session& s, const str& dir);
int cmd_get(ctl_session& s, const str& phoneFile, const str& pcFile);
int cmd_put(ctl_session& s, const str& pcFile, const str& phoneFile);
int cmd_rm(ctl_session& s, const str& phoneFile);
int cmd_mkdir(ctl_session& s, const str& phoneDir);
int cmd_pull(ctl_session& s, const str& phoneDir, const str& pcDir);
int cmd_push(ctl_session& s, const str& pcDir, const str& phoneDir);
int cmd_cat(ctl_session& s, const str& phoneFile);

// Phone path helpers: the folder holding a path ("/" for a top-level name) and its last part.
str phone_parent(const str& path);
str phone_name(const str& path);
