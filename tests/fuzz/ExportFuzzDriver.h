#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A fuzz input for the replacement of file sets is a sequence of events, one per line, run in a
// scratch directory of its own; the first byte of a line picks the event (a byte that is none of
// these letters picks one by its value modulo 5), the bytes after it are its arguments (0 when
// missing):
//   W<s><f><k><e><n>  write set <s> (two sets: short names, and names of 255 bytes) as a new
//                     generation of <n> * 37 bytes a file, with fault <f>: none, the rename that places
//                     file <k> fails (errno picked by <e>), hard links unsupported, both, the writer of
//                     file <k> raises an error, the writer of file <k> cancels
//   O<s><k><t>        put an obstacle where file <k> of set <s> goes: a directory, a named pipe, a link
//                     to a regular file elsewhere, a link to nothing
//   R<s><k>           remove what is at file <k>'s name, as a user would
//   A<s><k>           stage the first <k> files of set <s> and abandon them
//   D<s>              stage a set that names one file twice
// After every event the whole directory is compared with a model that knows the outcome: the
// complete new set where the event succeeds, exactly the old contents where it fails (with the
// message expected), links left as links, never a temporary.
std::string RunExportFuzzInput(const uint8_t* data, size_t size);
