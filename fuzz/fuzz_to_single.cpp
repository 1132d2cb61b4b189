// Any text: toSingle accepts exactly what the reference calls a number, with the same value, and
// rejects the rest with the same kind of failure.
#include <cstddef>
#include <cstdint>
#include <string>

#include "reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace stakora;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const reference::Conversion expected = reference::toSingle(text);
    try {
        const Amount value = DecimalText::toSingle(text);
        reference::check(!expected.failure, "accepted a text the reference rejects");
        reference::check(value == expected.value, "value differs from the reference");
    } catch (const NumberError& error) {
        reference::check(expected.failure.has_value(), "rejected a number");
        reference::check(error.kind() == *expected.failure, "wrong kind of failure");
    }
    return 0;
}
