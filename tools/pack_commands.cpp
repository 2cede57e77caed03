// orvelxml pack IN OUT and unpack IN OUT: compressed documents for users
// without gzip at hand. pack writes gzip data; unpack goes through the
// module's load, so it reads exactly what a host reads.
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "tools/commands.h"

namespace orvelxml {

namespace {

const char kPackHelp[] =
    "usage: orvelxml pack IN.xml OUT.xmlz\n"
    "Compresses IN into OUT as gzip data (what gzip -c IN > OUT writes), which the\n"
    "module loads as a compressed document.\n"
    "Exit 0; 2 on usage or file errors.\n";

const char kUnpackHelp[] =
    "usage: orvelxml unpack IN.xmlz OUT.xml\n"
    "Loads IN with the module (decoded by the factory library's decoder) and\n"
    "writes the document text to OUT.\n"
    "Exit 0; 1 when the text is not well formed (written anyway); 2 on usage\n"
    "errors, when IN cannot be loaded or OUT cannot be written.\n";

// in compressed as one gzip member; false when zlib refuses.
bool Gzip(const std::string& in, std::string* out) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  out->clear();
  const char* next = in.data();
  std::size_t left = in.size();
  int status = Z_OK;
  unsigned char chunk[65536];
  do {
    const uInt take = static_cast<uInt>(left < (1u << 30) ? left : (1u << 30));  // zlib counts in 32 bits
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(next));
    z.avail_in = take;
    const int flush = take == left ? Z_FINISH : Z_NO_FLUSH;
    do {
      z.next_out = chunk;
      z.avail_out = sizeof chunk;
      status = deflate(&z, flush);
      out->append(reinterpret_cast<const char*>(chunk), sizeof chunk - z.avail_out);
    } while (z.avail_out == 0);
    next += take;
    left -= take;
  } while (left > 0);
  deflateEnd(&z);
  return status == Z_STREAM_END;
}

// The two file operands of pack and unpack; false after printing the usage.
bool TwoFiles(const Args& args, const char* help, std::string* in, std::string* out) {
  if (args.size() != 2) {
    std::fputs(help, stderr);
    return false;
  }
  *in = args[0];
  *out = args[1];
  return true;
}

}  // namespace

int RunPackCommand(const Args& args, const ToolOptions& /*options*/) {
  int code = ExitOk;
  if (AnsweredHelp(args, kPackHelp, &code)) return code;
  std::string in, out, bytes, packed, error;
  if (!TwoFiles(args, kPackHelp, &in, &out)) return ExitUsage;
  if (!ReadWholeFile(in, &bytes, &error) || !Gzip(bytes, &packed) || !WriteWholeFile(out, packed, &error)) {
    std::fprintf(stderr, "orvelxml: %s\n", error.empty() ? "compression failed" : error.c_str());
    return ExitUsage;
  }
  return ExitOk;
}

int RunUnpackCommand(const Args& args, const ToolOptions& options) {
  int code = ExitOk;
  if (AnsweredHelp(args, kUnpackHelp, &code)) return code;
  std::string in, out, error;
  if (!TwoFiles(args, kUnpackHelp, &in, &out)) return ExitUsage;
  char absolute[260];
  if (!orvel::platform::AbsolutePath(in.c_str(), absolute, sizeof absolute)) {
    std::fprintf(stderr, "orvelxml: %s: %s\n", in.c_str(), std::strerror(ENAMETOOLONG));
    return ExitUsage;
  }
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string text;
  bool wellFormed;
  {
    ComponentSession xml(host);
    if (!HasComponent(xml)) return ExitUsage;
    wellFormed = xml->LoadDocumentFile(absolute) != 0;
    text = FetchDocumentText(xml.get());
  }
  if (text.empty()) {
    std::fprintf(stderr, "orvelxml: %s: cannot be loaded (missing, not gzip data, or no decoder)\n",
                 in.c_str());
    return ExitUsage;
  }
  if (!WriteWholeFile(out, text, &error)) {
    std::fprintf(stderr, "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  if (!wellFormed) std::fprintf(stderr, "orvelxml: %s is not well formed (unpacked anyway)\n", in.c_str());
  return wellFormed ? ExitOk : ExitNotWellFormed;
}

}  // namespace orvelxml
