#pragma once

#include "core/DrawTable.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What the fuzz targets share. A target is one file tests/fuzz/fuzz_<name>.cpp defining
// LLVMFuzzerTestOneInput; its seed corpus lives in tests/fuzz/corpus/<name>/.
namespace quorvel::fuzz {

QByteArray bytesOf(const std::uint8_t* data, std::size_t size);

// Reports a broken invariant with the input that broke it and aborts, which libFuzzer records
// as a finding.
[[noreturn]] void violated(const char* invariant, const QString& detail);

// Twelve real draws over a change of day, with their computed parameters.
const DrawTable& smallDrawTable();

} // namespace quorvel::fuzz
