#pragma once

// The client library turns a database path into the system's bytes through the process's
// character locale, which it reads once, at its first attachment. File names on this system are
// UTF-8: a program calls this at start-up, before any attachment, so that a path with accents
// reaches the server as the file system names it even when the environment names no locale
// (LANG unset, or "C", as under a service manager).
void AdotarLocalidadeUtf8();
