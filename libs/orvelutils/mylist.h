// The owning, ordered list that holds a folder's subfolders and items.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

// Elements keep the order in which they were appended; a position is an index from the head.
// The list owns its elements: removing one hands ownership back to the caller, deleting one
// destroys it.
template <class T>
class CMyList {
public:
    CMyList() = default;
    CMyList(const CMyList&) = delete;
    CMyList& operator=(const CMyList&) = delete;
    CMyList(CMyList&&) noexcept = default;
    CMyList& operator=(CMyList&&) noexcept = default;

    T* AddTail(std::unique_ptr<T> element)
    {
        m_elements.push_back(std::move(element));
        return m_elements.back().get();
    }

    std::size_t GetCount() const { return m_elements.size(); }
    bool IsEmpty() const { return m_elements.empty(); }

    // The element at index, or nullptr when the index is out of range.
    T* GetAt(std::size_t index) const
    {
        return index < m_elements.size() ? m_elements[index].get() : nullptr;
    }

    // The index of element (by identity), if it is in the list.
    std::optional<std::size_t> Find(const T* element) const
    {
        for (std::size_t i = 0; i < m_elements.size(); ++i) {
            if (m_elements[i].get() == element)
                return i;
        }
        return std::nullopt;
    }

    // Unlinks the element at index and hands it to the caller; nullptr when out of range.
    std::unique_ptr<T> RemoveAt(std::size_t index)
    {
        if (index >= m_elements.size())
            return nullptr;
        std::unique_ptr<T> element = std::move(m_elements[index]);
        m_elements.erase(m_elements.begin() + std::ptrdiff_t(index));
        return element;
    }

    void DeleteAt(std::size_t index) { RemoveAt(index); }

    // Unlinks every element for which take(element) is true, in one pass that keeps the order of
    // the rest, and hands them to the caller in their order.
    template <class Predicate>
    std::vector<std::unique_ptr<T>> RemoveIf(Predicate take)
    {
        std::vector<std::unique_ptr<T>> taken;
        std::vector<std::unique_ptr<T>> kept;
        kept.reserve(m_elements.size());
        for (std::unique_ptr<T>& element : m_elements)
            (take(static_cast<const T*>(element.get())) ? taken : kept).push_back(std::move(element));
        m_elements = std::move(kept);
        return taken;
    }
    void DeleteAll() { m_elements.clear(); }

    // Walks the elements from the head as plain pointers.
    class const_iterator {
    public:
        using Inner = typename std::vector<std::unique_ptr<T>>::const_iterator;
        explicit const_iterator(Inner inner) : m_inner(inner) {}
        T* operator*() const { return m_inner->get(); }
        const_iterator& operator++()
        {
            ++m_inner;
            return *this;
        }
        bool operator==(const const_iterator&) const = default;

    private:
        Inner m_inner;
    };
    const_iterator begin() const { return const_iterator(m_elements.begin()); }
    const_iterator end() const { return const_iterator(m_elements.end()); }

private:
    std::vector<std::unique_ptr<T>> m_elements;
};
