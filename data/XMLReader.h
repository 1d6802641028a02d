// CXMLReader: the tokenizer behind CXML. It reads the file through a buffer of its own, splits
// it into character data and tags, and leaves the file positioned just after the last tag it
// handed out (Finish). One reader serves one parse; the nodes it fills take turns.
#pragma once

#include "framework/core/File.h"

#include <string>
#include <string_view>

class CXML;

// Whether a byte counts as text in character data: a visible character from 33 to 127. Bytes
// of 128 and above count as white space there, so a byte-order mark adds nothing.
bool IsTextByte(char c);
// Whether a tag is a comment, a declaration or a processing instruction, which adds no node.
bool IsSkippedTag(std::string_view token);

class CXMLReader {
public:
    explicit CXMLReader(CFile& file);
    CXMLReader(const CXMLReader&) = delete;
    CXMLReader& operator=(const CXMLReader&) = delete;

    // Reads the next tag into token; the character data before it goes to node's text. At the
    // end of the file node's end-of-file flag is set and token holds what was read of a tag
    // that the end cut off (empty when none).
    void ReadToken(CXML& node, std::string& token);
    // Puts the file just after what was consumed.
    void Finish();
    // The file offset of the "<" of the last tag read; -1 before the first.
    int64_t TokenOffset() const { return m_nTokenOffset; }

private:
    bool Refill();
    static void GatherText(CXML& node, const std::string& piece);

    static constexpr unsigned kBufferSize = 64 * 1024;
    CFile& m_file;
    std::string m_buffer;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    int64_t m_nBufferOffset; // file position of m_buffer[0]
    bool m_bAtEnd = false;
    std::string m_piece;
    int64_t m_nTokenOffset = -1;
};
