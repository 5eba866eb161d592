#pragma once
// cSharedText: a text that nearly always equals one shared default (the separators of a
// task) and then costs one pointer instead of a copy per record. Any other value is held
// on its own. Reads like a const std::string.

#include <string>

template <const std::string& (*Standard)()>
class cSharedText {
public:
    cSharedText() noexcept : m_pText(&Standard()) {}
    cSharedText(const cSharedText& other) : cSharedText() { *this = other.Text(); }
    cSharedText(cSharedText&& other) noexcept : m_pText(other.m_pText)
    {
        other.m_pText = &Standard();
    }
    cSharedText& operator=(const cSharedText& other)
    {
        if (this != &other)
            *this = other.Text();
        return *this;
    }
    cSharedText& operator=(cSharedText&& other) noexcept
    {
        if (this != &other) {
            Free();
            m_pText = other.m_pText;
            other.m_pText = &Standard();
        }
        return *this;
    }
    cSharedText& operator=(const std::string& text)
    {
        if (text == Standard()) {
            Free();
            m_pText = &Standard();
        } else if (Owned()) {
            *const_cast<std::string*>(m_pText) = text;
        } else {
            m_pText = new std::string(text);
        }
        return *this;
    }
    cSharedText& operator=(const char* text) { return *this = std::string(text); }
    ~cSharedText() { Free(); }

    [[nodiscard]] const std::string& Text() const noexcept { return *m_pText; }
    operator const std::string&() const noexcept { return *m_pText; }

    [[nodiscard]] std::string::const_iterator begin() const noexcept { return m_pText->begin(); }
    [[nodiscard]] std::string::const_iterator end() const noexcept { return m_pText->end(); }
    [[nodiscard]] std::size_t size() const noexcept { return m_pText->size(); }
    [[nodiscard]] bool empty() const noexcept { return m_pText->empty(); }
    [[nodiscard]] const char* c_str() const noexcept { return m_pText->c_str(); }

    friend bool operator==(const cSharedText& a, const cSharedText& b) { return a.Text() == b.Text(); }
    friend bool operator==(const cSharedText& a, const std::string& b) { return a.Text() == b; }
    friend bool operator==(const cSharedText& a, const char* b) { return a.Text() == b; }

private:
    bool Owned() const noexcept { return m_pText != &Standard(); }
    void Free() noexcept
    {
        if (Owned())
            delete m_pText;
    }

    // The shared default, or a text of this object's own.
    const std::string* m_pText;
};
