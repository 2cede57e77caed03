// What the tool prints. Every write to standard output is checked: a full
// disk or a closed pipe must not pass for a result. Messages go to standard
// error only after standard output is flushed, so that the two keep their
// order when they share a file (2>&1).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#if defined(__MINGW_PRINTF_FORMAT)
#define ORVELXML_PRINTF_LIKE __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)))
#elif defined(__GNUC__)
#define ORVELXML_PRINTF_LIKE __attribute__((format(printf, 1, 2)))
#else
#define ORVELXML_PRINTF_LIKE
#endif

namespace orvelxml {

// printf to standard output.
void Print(const char* format, ...) ORVELXML_PRINTF_LIKE;
// Bytes to standard output as they are.
void PrintBytes(const std::string& bytes);
// Standard error, once standard output is flushed.
std::FILE* Errors();
// Flushes and closes standard output. exitCode when every write went through;
// otherwise, after "orvelxml: standard output: REASON" on standard error, the
// exit code of a failed write (2).
int FinishStandardOutput(int exitCode);

}  // namespace orvelxml
