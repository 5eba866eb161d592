#pragma once
// cTextSlots: the ten text slots of a task (answers, their extra texts, patterns) that
// cost one pointer while every slot is empty. Most tasks use none or a few of their
// slots, so a file of a million tasks would otherwise spend most of its memory on empty
// strings.
//
// It is used like std::array<std::string, 10>: t.m_strPattern[1] = "x", .size(), range-
// for, comparison, assignment from a braced list. Reading through a const object never
// allocates: a slot that was never written reads as a shared empty text. Writing access
// (the non-const operator[] and at) creates the slots between those held and the one
// reached; begin and end of a non-const object create all ten. Like a vector, growing
// moves the texts: a reference to a slot stays valid until a slot that was not held
// before is accessed for writing, or the whole is assigned.

#include <array>
#include <compare>
#include <cstdint>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>

class cTextSlots {
public:
    static constexpr std::size_t kCount = 10;

    using value_type = std::string;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = std::string&;
    using const_reference = const std::string&;
    using pointer = std::string*;
    using const_pointer = const std::string*;
    using iterator = std::string*;

    /// Walks the ten slots of a const object without creating any.
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string*;
        using reference = const std::string&;

        const_iterator() = default;
        const_iterator(const cTextSlots* owner, difference_type index)
            : m_owner(owner), m_index(index)
        {
        }
        reference operator*() const { return (*m_owner)[static_cast<size_type>(m_index)]; }
        pointer operator->() const { return &**this; }
        reference operator[](difference_type n) const { return *(*this + n); }
        const_iterator& operator++() { ++m_index; return *this; }
        const_iterator operator++(int) { const_iterator old = *this; ++m_index; return old; }
        const_iterator& operator--() { --m_index; return *this; }
        const_iterator operator--(int) { const_iterator old = *this; --m_index; return old; }
        const_iterator& operator+=(difference_type n) { m_index += n; return *this; }
        const_iterator& operator-=(difference_type n) { m_index -= n; return *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b)
        {
            return a.m_index - b.m_index;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b)
        {
            return a.m_index == b.m_index;
        }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b)
        {
            return a.m_index <=> b.m_index;
        }

    private:
        const cTextSlots* m_owner = nullptr;
        difference_type m_index = 0;
    };

    cTextSlots() noexcept = default;
    /// The first texts in order, the rest empty (as a braced list fills an array).
    cTextSlots(std::initializer_list<std::string> texts);
    cTextSlots(const std::array<std::string, kCount>& texts);
    cTextSlots(const cTextSlots& other);
    cTextSlots(cTextSlots&& other) noexcept : m_pBlock(other.m_pBlock) { other.m_pBlock = nullptr; }
    cTextSlots& operator=(const cTextSlots& other);
    cTextSlots& operator=(cTextSlots&& other) noexcept;
    cTextSlots& operator=(std::initializer_list<std::string> texts);
    cTextSlots& operator=(const std::array<std::string, kCount>& texts);
    ~cTextSlots();

    /// Slot i; a slot never written (or i beyond the last) reads as an empty text.
    const std::string& operator[](size_type i) const noexcept
    {
        const std::string* slot = Find(i);
        return slot ? *slot : kNoText;
    }
    /// Slot i for writing: creates the slots up to i. Throws std::out_of_range beyond
    /// the last slot.
    std::string& operator[](size_type i)
    {
        std::string* slot = Find(i);
        return slot ? *slot : Reach(i);
    }
    const std::string& at(size_type i) const;
    std::string& at(size_type i) { return (*this)[i]; }

    const std::string& front() const noexcept { return (*this)[0]; }
    const std::string& back() const noexcept { return (*this)[kCount - 1]; }

    static constexpr size_type size() noexcept { return kCount; }
    static constexpr size_type max_size() noexcept { return kCount; }
    /// Like an array of ten, never empty; see HasText for slots in use.
    static constexpr bool empty() noexcept { return false; }
    /// Whether any slot holds a text.
    [[nodiscard]] bool HasText() const noexcept;

    const_iterator begin() const noexcept { return {this, 0}; }
    const_iterator end() const noexcept { return {this, static_cast<difference_type>(kCount)}; }
    const_iterator cbegin() const noexcept { return begin(); }
    const_iterator cend() const noexcept { return end(); }
    /// Writing iteration creates all ten slots.
    iterator begin();
    iterator end() { return begin() + kCount; }

    /// Every slot set to text; an empty text gives the memory back.
    void fill(const std::string& text);
    void swap(cTextSlots& other) noexcept { std::swap(m_pBlock, other.m_pBlock); }
    friend void swap(cTextSlots& a, cTextSlots& b) noexcept { a.swap(b); }

    /// A copy as a plain array.
    operator std::array<std::string, kCount>() const;

    friend bool operator==(const cTextSlots& a, const cTextSlots& b) noexcept;
    friend std::strong_ordering operator<=>(const cTextSlots& a, const cTextSlots& b) noexcept;
    friend bool operator==(const cTextSlots& a, const std::array<std::string, kCount>& b) noexcept;

private:
    // One allocation: this header, then the strings of slots first to last - 1 (a task
    // with only pattern slot 1 holds one string).
    struct cBlock {
        std::uint32_t first;
        std::uint32_t last;
    };
    // Not constinit: clang 14 with libstdc++ refuses it for std::string.
    static inline const std::string kNoText{};

    std::string* Find(size_type i) const noexcept
    {
        if (!m_pBlock || i < m_pBlock->first || i >= m_pBlock->last)
            return nullptr;
        return Slots() + (i - m_pBlock->first);
    }
    std::string* Slots() const noexcept;
    std::string& Reach(size_type i);
    // Holds slots first to last - 1 (none when they are equal), keeping the texts.
    void Resize(size_type first, size_type last);
    void Release() noexcept;
    // Takes count texts from first on, leaving out empty ones at both ends.
    template <typename It>
    void Assign(It first, size_type count);

    cBlock* m_pBlock = nullptr;
};
