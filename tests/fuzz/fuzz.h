#pragma once
// What every fuzz target shares: the project's own errors are an answer, anything else that
// escapes a reader (another exception, a crash, a broken round trip) is a finding.

#include "platform/vb/vberror.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace zxfuzz {

// Runs a reader on one input; a vb::VbError is the reader refusing the input, as it should.
template <typename Reader>
void reads(Reader&& reader) {
    try {
        reader();
    } catch (const vb::VbError&) {
    }
}

// A property that must hold for every input; when it does not, the input is a finding.
void check(bool holds, const char* what);

// The input as text the way the suite's files are read (Windows-1252 bytes) and as UTF-8.
QString latin(const std::uint8_t* data, std::size_t size);
QString utf8(const std::uint8_t* data, std::size_t size);

// A folder of this process, emptied of nothing: readers that take a path read from here.
QString folder();
// Writes `bytes` to `name` in that folder and returns its path.
QString writeFile(const QString& name, const QByteArray& bytes);

// The Qt application object, made once (offscreen), for readers that measure fonts.
void ensureGuiApp();
// A core application object, made once, for readers that only need one to exist.
void ensureCoreApp();

}  // namespace zxfuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
