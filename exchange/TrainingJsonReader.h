#pragma once
// cTrainingJsonReader: a pull reader of JSON text for the training import. It hands out
// one event at a time (a bracket, a key, a value) while it reads the stream in pieces,
// so the document is never held as a whole, and it refuses what the import refuses
// before any value is used: malformed JSON (named by its byte), nesting deeper than
// kMaxJsonDepth, texts longer than kMaxJsonText (stopped while they stream in), numbers
// too large for any number type, a key that occurs twice in one object, and anything
// but white space after the value. Each refusal but a syntax error names its place, as
// "tasks[1].points: Schlüssel kommt doppelt vor".

#include "exchange/TrainingJson.h"

#include <cstddef>
#include <cstdint>
#include <streambuf>
#include <string>
#include <unordered_set>
#include <vector>

enum class JsonEvent : std::uint8_t {
    ObjectStart,
    ObjectEnd,
    ArrayStart,
    ArrayEnd,
    Key,      // Text() holds the key
    String,   // Text() holds the value
    Unsigned, // a whole number without sign: UnsignedValue()
    Integer,  // a whole negative number (or -0): IntegerValue()
    Float,    // any other number
    True,
    False,
    Null,
    End, // the end of the input after the value
};

class cTrainingJsonReader {
public:
    explicit cTrainingJsonReader(std::streambuf* in);

    /// The next event. False on refusal (see Refusal); nothing is read after that or
    /// after End.
    [[nodiscard]] bool Next(JsonEvent& event);

    /// The UTF-8 text of the last Key or String.
    [[nodiscard]] const std::string& Text() const { return m_text; }
    [[nodiscard]] std::uint64_t UnsignedValue() const { return m_unsigned; }
    [[nodiscard]] std::int64_t IntegerValue() const { return m_integer; }
    [[nodiscard]] const cJsonRefusal& Refusal() const { return m_refusal; }

private:
    enum class Token : std::uint8_t {
        BeginObject,
        EndObject,
        BeginArray,
        EndArray,
        Colon,
        Comma,
        String,
        Unsigned,
        Integer,
        Float,
        True,
        False,
        Null,
        End,
        Bad,     // malformed: m_tokenEnd is the byte
        TooLong, // a text beyond kMaxJsonText
    };

    // One open array or object.
    struct Frame {
        bool array = false;
        bool expectKey = true; // in an object: before a key (not between key and value)
        bool hasKey = false;
        std::size_t index = 0; // values (members) completed so far
        std::string key;       // the object's latest key
        std::vector<std::string> keys;          // the keys seen, while they are few
        std::unordered_set<std::string> manyKeys; // all of them once they are many
    };

    static constexpr int kEnd = -1;

    int Peek()
    {
        if (m_pos == m_len && !Fill())
            return kEnd;
        return static_cast<unsigned char>(m_chunk[m_pos]);
    }
    void Skip() { ++m_pos; }
    // The 0-based index in the input of the byte Peek sees (the length at its end).
    [[nodiscard]] std::uint64_t Index() const { return m_base + m_pos; }
    bool Fill();

    Token Lex();
    Token Single(Token token);
    Token Literal(const char* text, Token token);
    Token Number();
    Token String();
    Token Unicode();
    int Hex4(Token& failure);
    Token BadHere();
    Token BadAt(std::uint64_t position);
    bool CountTextByte();
    [[nodiscard]] bool NumberOverflows() const;
    bool SkipByteOrderMark();

    bool Value(Token token, JsonEvent& event);
    bool Open(bool array, JsonEvent& event);
    bool Close(JsonEvent& event);
    bool Key(JsonEvent& event);
    void Done();
    bool Fail(Token token);
    bool Refuse(const std::string& reason);
    [[nodiscard]] std::string Place() const;

    std::streambuf* m_in;
    std::vector<char> m_chunk;
    std::size_t m_pos = 0;
    std::size_t m_len = 0;
    std::uint64_t m_base = 0; // input index of m_chunk[0]

    std::vector<Frame> m_frames; // kept for reuse; the first m_depth are open
    std::size_t m_depth = 0;
    bool m_bStarted = false;
    bool m_bRootDone = false;

    std::string m_text;
    std::string m_number;
    std::size_t m_textLength = 0; // bytes the current text decodes to, for the limit
    std::uint64_t m_unsigned = 0;
    std::int64_t m_integer = 0;
    bool m_bOverflow = false;
    std::uint64_t m_tokenEnd = 0; // 1-based byte of a token's end or of its fault
    cJsonRefusal m_refusal;
};
