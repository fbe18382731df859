// A stream of endless bytes, as /dev/zero or a runaway pipe gives them; counts what it gave.
#pragma once

#include <cstddef>
#include <streambuf>
#include <string>

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
