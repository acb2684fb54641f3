#pragma once

// What every fuzz target shares: the program started up once, offscreen, in folders of its own
// (home, per-user store, temporary folder), with its ini file and the fake text measurer; and
// one document taken through everything a reader of it meets.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace fuzzing {

// Writes the bytes as a document named name in the fuzz folder, then opens it as the Open
// command does and, when it loads, lays out and arranges every canvas and paints the first one.
// Refusals are expected outcomes; anything else escaping is a finding (the exception goes on).
void DocumentRun(const QString& name, const std::uint8_t* data, std::size_t size);

} // namespace fuzzing

// libFuzzer's start-up hook, also called by the replay main.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
