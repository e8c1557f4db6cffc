#pragma once

#include <sndfile.h>

#include <string>

// libsndfile, loaded when the first WAV file is written rather than when the program starts: it
// brings its codec libraries (FLAC, Vorbis, Opus, MPEG) with it, which a run that writes no WAV
// file would map and relocate for nothing.
struct SndfileApi {
  decltype(&sf_open_fd) OpenFd;
  decltype(&sf_write_float) WriteFloat;
  decltype(&sf_write_double) WriteDouble;
  decltype(&sf_close) Close;
  decltype(&sf_strerror) StrError;
  decltype(&sf_error_number) ErrorNumber;
};

// The library's soname: its interface has been version 1 since libsndfile 1.0.
inline constexpr const char* SndfileLibrary = "libsndfile.so.1";

// The functions, loaded once per process; nullptr when the library or one of them is missing, with
// reason set to "cannot load libsndfile.so.1: " and the loader's words.
const SndfileApi* Sndfile(std::string& reason);
