// The project file format: an INI document held in memory for one open or save. The
// project writes its own INI code because QSettings sorts keys and escapes non-ASCII text,
// so it can write neither the key order nor the 8-bit Windows-1251 texts a project holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace codegen {

// Section and key names compare without regard to letter case; values are 8-bit texts;
// lines end in CR LF when written and in CR LF, LF or CR when read. Sections and keys keep
// their file order, and the text of a section nobody writes is kept as it was.
class TIniDocument {
public:
    TIniDocument() = default;
    // More sections or key lines than any project holds are refused with CodError ("holds
    // more than ..."), so that memory stays bounded by the file's own size.
    static constexpr std::size_t MaxSections = 1 << 18;
    static constexpr std::size_t MaxKeys = std::size_t{1} << 22;
    static TIniDocument FromBytes(std::string_view Bytes);
    std::string ToBytes() const;

    bool HasSection(std::string_view Section) const;
    // The length of a section's text in bytes (0 when there is no such section).
    std::size_t SectionBytes(std::string_view Section) const;
    void EraseSection(std::string_view Section);

    // The value of a key as the file holds it (blanks around it and one pair of enclosing
    // quotes dropped); nothing for a missing section or key.
    std::optional<std::string_view> Value(std::string_view Section, std::string_view Key) const;
    std::string ReadString(std::string_view Section, std::string_view Key,
                           std::string_view Default) const;
    // Decimal, or hexadecimal after "0x"/"0X"; any other text gives the default.
    int ReadInteger(std::string_view Section, std::string_view Key, int Default) const;
    // As an integer (default 1 or 0), true when not 0.
    bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;

    // A write replaces the value of an existing key in place, or adds the key at the end of
    // its section; a section that does not exist is added at the end of the document.
    void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Key, int Value);
    void WriteBool(std::string_view Section, std::string_view Key, bool Value);

    // Keys appended in order to a section known to hold none of them yet: the fast way to
    // write a section anew after EraseSection (a grid of a million cells, say).
    class TAppender {
    public:
        void Write(std::string_view Key, std::string_view Value);
        void WriteInteger(std::string_view Key, int Value);
        void WriteBool(std::string_view Key, bool Value) { WriteInteger(Key, Value ? 1 : 0); }

    private:
        friend class TIniDocument;
        explicit TAppender(std::string& Body) : Body(Body) {}
        std::string& Body;
    };
    // Erases the section and starts it anew at the end of the document.
    TAppender RewriteSection(std::string_view Section);

private:
    // A key line as places in its section's Body, not as views: sections move within the
    // list when sections are added or erased, and a short Body moves its bytes with it.
    struct TEntry {
        std::size_t KeyAt = 0, KeySize = 0;
        std::size_t ValueAt = 0, ValueSize = 0;
    };
    struct TSection {
        std::string Name;   // empty for the lines before the first section
        bool Header = true; // false for those lines
        std::string Body;   // its lines, each ended by CR LF
        // The key lines of Body, parsed on the first read and dropped on every write. Reads
        // mostly come in file order, so the entry after the last one found is tried first;
        // the index by lower-case key is built only when that fails.
        mutable std::vector<TEntry> Entries;
        std::string_view Key(const TEntry& E) const {
            return std::string_view(Body).substr(E.KeyAt, E.KeySize);
        }
        std::string_view Value(const TEntry& E) const {
            return std::string_view(Body).substr(E.ValueAt, E.ValueSize);
        }
        mutable bool Parsed = false;
        mutable std::size_t Next = 0;
        // (case-blind hash of the key, entry) sorted: 16 bytes a key, whatever the names.
        mutable std::vector<std::pair<std::uint64_t, std::size_t>> Index;
        mutable bool Indexed = false;
        // Set at parsing when two keys may be equal (their case-blind hashes met): the
        // entry after the last one found is then not trusted to be the first of its name.
        mutable bool MayRepeat = false;
        void Changed() {
            Entries.clear();
            Index.clear();
            Parsed = Indexed = MayRepeat = false;
            Next = 0;
        }
    };
    TSection* Find(std::string_view Section);
    const TSection* Find(std::string_view Section) const;
    static std::optional<std::string_view> Lookup(const TSection& S, std::string_view Key);
    // The first entry of Key by the index (Entries.size() for none).
    static std::size_t FirstIndexed(const TSection& S, std::string_view Key);
    // Adds the section at the end of the document.
    TSection& Append(std::string_view Section);
    void Reindex();

    std::vector<TSection> Sections;
    // The place in Sections of the first section of each lower-case name: a look-up costs
    // the same among two hundred thousand sections as among three.
    std::unordered_map<std::string, std::size_t> SectionIndex;
};

// Texts of the project file and the code list files are 8-bit Windows-1251.
std::string Utf8ToCp1251(std::string_view Utf8);
std::string Cp1251ToUtf8(std::string_view Cp1251);

} // namespace codegen
