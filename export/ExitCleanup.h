#pragma once

#include <string>

// Temporary files must not outlive a process ended by SIGINT, SIGTERM or SIGHUP, and a set being
// renamed into place must not be cut in half by one. The first use installs handlers for those
// three signals (only where their disposition is still the default one, so a program that handles
// them itself keeps its own way). A signal then removes every registered temporary and ends the
// process as the signal would have, or, while a DeferredSignals is alive anywhere in the process,
// waits until the last one ends. Everything the handler does is async-signal-safe.

// A temporary file removed when a signal ends the process. Raises UserError when the path does not
// fit the fixed table the handler reads (paths over 4095 bytes, more than 256 temporaries at once).
class ExitCleanup {
 public:
  explicit ExitCleanup(const std::string& path);
  ExitCleanup(const ExitCleanup&) = delete;
  ExitCleanup& operator=(const ExitCleanup&) = delete;
  ~ExitCleanup();

 private:
  int slot_;
};

// Holds SIGINT, SIGTERM and SIGHUP back for its lifetime; a signal that came meanwhile is delivered
// when the last DeferredSignals of the process ends (temporaries still registered are removed first).
class DeferredSignals {
 public:
  DeferredSignals();
  DeferredSignals(const DeferredSignals&) = delete;
  DeferredSignals& operator=(const DeferredSignals&) = delete;
  ~DeferredSignals();
};
