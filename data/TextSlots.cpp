#include "data/TextSlots.h"

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

std::string* cTextSlots::Slots() const noexcept
{
    return std::launder(reinterpret_cast<std::string*>(m_pBlock + 1));
}

void cTextSlots::Release() noexcept
{
    if (!m_pBlock)
        return;
    std::destroy_n(Slots(), m_pBlock->last - m_pBlock->first);
    ::operator delete(m_pBlock);
    m_pBlock = nullptr;
}

void cTextSlots::Resize(size_type first, size_type last)
{
    if (first >= last) {
        Release();
        return;
    }
    void* raw = ::operator new(sizeof(cBlock) + (last - first) * sizeof(std::string));
    auto* block = new (raw) cBlock{static_cast<std::uint32_t>(first),
                                   static_cast<std::uint32_t>(last)};
    auto* slots = reinterpret_cast<std::string*>(block + 1);
    // Moving and default-constructing strings does not throw.
    for (size_type i = first; i < last; ++i) {
        std::string* old = Find(i);
        if (old)
            new (slots + (i - first)) std::string(std::move(*old));
        else
            new (slots + (i - first)) std::string();
    }
    Release();
    m_pBlock = block;
}

std::string& cTextSlots::Reach(size_type i)
{
    if (i >= kCount)
        throw std::out_of_range("cTextSlots: slot " + std::to_string(i));
    if (!m_pBlock) {
        Resize(i, i + 1);
    } else {
        // Slots are mostly written upwards (reading a file, the editor): doubling keeps
        // the moves few, and a copy trims the room again.
        const size_type first = m_pBlock->first;
        const size_type last = m_pBlock->last;
        Resize(std::min(first, i),
               std::max({last, i + 1, std::min(kCount, first + 2 * (last - first))}));
    }
    return *Find(i);
}

template <typename It>
void cTextSlots::Assign(It texts, size_type count)
{
    count = std::min(count, kCount);
    size_type first = count;
    size_type last = 0;
    for (size_type i = 0; i < count; ++i) {
        if (!texts[static_cast<std::ptrdiff_t>(i)].empty()) {
            first = std::min(first, i);
            last = i + 1;
        }
    }
    Release();
    Resize(first, last);
    for (size_type i = first; i < last; ++i)
        *Find(i) = texts[static_cast<std::ptrdiff_t>(i)];
}

cTextSlots::cTextSlots(std::initializer_list<std::string> texts)
{
    Assign(texts.begin(), texts.size());
}

cTextSlots::cTextSlots(const std::array<std::string, kCount>& texts)
{
    Assign(texts.begin(), kCount);
}

cTextSlots::cTextSlots(const cTextSlots& other)
{
    if (other.m_pBlock)
        Assign(other.begin(), kCount);
}

cTextSlots& cTextSlots::operator=(const cTextSlots& other)
{
    if (this != &other) {
        cTextSlots copy(other);
        swap(copy);
    }
    return *this;
}

cTextSlots& cTextSlots::operator=(cTextSlots&& other) noexcept
{
    if (this != &other) {
        Release();
        std::swap(m_pBlock, other.m_pBlock);
    }
    return *this;
}

cTextSlots& cTextSlots::operator=(std::initializer_list<std::string> texts)
{
    cTextSlots copy(texts);
    swap(copy);
    return *this;
}

cTextSlots& cTextSlots::operator=(const std::array<std::string, kCount>& texts)
{
    cTextSlots copy(texts);
    swap(copy);
    return *this;
}

cTextSlots::~cTextSlots()
{
    Release();
}

const std::string& cTextSlots::at(size_type i) const
{
    if (i >= kCount)
        throw std::out_of_range("cTextSlots: slot " + std::to_string(i));
    return (*this)[i];
}

bool cTextSlots::HasText() const noexcept
{
    return std::any_of(begin(), end(), [](const std::string& s) { return !s.empty(); });
}

cTextSlots::iterator cTextSlots::begin()
{
    if (!m_pBlock || m_pBlock->first != 0 || m_pBlock->last != kCount)
        Resize(0, kCount);
    return Slots();
}

void cTextSlots::fill(const std::string& text)
{
    if (text.empty()) {
        Release();
        return;
    }
    std::fill_n(begin(), kCount, text);
}

cTextSlots::operator std::array<std::string, kCount>() const
{
    std::array<std::string, kCount> texts;
    std::copy(begin(), end(), texts.begin());
    return texts;
}

bool operator==(const cTextSlots& a, const cTextSlots& b) noexcept
{
    return a.m_pBlock == b.m_pBlock || std::equal(a.begin(), a.end(), b.begin());
}

std::strong_ordering operator<=>(const cTextSlots& a, const cTextSlots& b) noexcept
{
    return std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
}

bool operator==(const cTextSlots& a, const std::array<std::string, cTextSlots::kCount>& b) noexcept
{
    return std::equal(a.begin(), a.end(), b.begin());
}
