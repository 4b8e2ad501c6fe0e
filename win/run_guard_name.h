// The names of the run guard (win/single_run.h): the window property the running copy's
// main window carries, and the mutex's name, made from the text that tells runs apart
// and the user who runs. Portable, so the native build tests it.
#pragma once

#include <string>

struct RunGuardNames {
    std::string mark;       // the window property
    std::string mutexName;  // the mark in the session's namespace
};

// `name` may hold any byte and be of any length (it is hashed). `userSid` is the user's
// SID as text ("S-1-5-21-..."): copies of one name run by two users get two guards,
// so neither sees the other. An empty `userSid` (the SID could not be read) gives the
// name one guard for the whole session, as copies before the per-user guard had.
RunGuardNames MakeRunGuardNames(const std::string& name, const std::string& userSid);
