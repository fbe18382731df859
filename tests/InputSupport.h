// What the tests of the input readers share: endless input and the message of a refusal.
#pragma once

#include "engine/Cod.h"

#include <cstddef>
#include <functional>
#include <streambuf>
#include <string>

// A stream of endless bytes, as /dev/zero or a runaway pipe gives them; counts what it gave.
class TEndlessBytes : public std::streambuf {
public:
    explicit TEndlessBytes(std::string Block) : Block(std::move(Block)) {}
    explicit TEndlessBytes(char Byte) : Block(1 << 16, Byte) {}
    std::size_t Given = 0;

protected:
    int_type underflow() override {
        Given += Block.size();
        setg(Block.data(), Block.data(), Block.data() + Block.size());
        return traits_type::to_int_type(Block[0]);
    }

private:
    std::string Block;
};

// The message of the CodError that Read throws, "(no error)" when it throws none.
inline std::string ErrorOf(const std::function<void()>& Read) {
    try {
        Read();
    } catch (const codegen::CodError& Error) {
        return Error.what();
    }
    return "(no error)";
}
