#pragma once
// The item list a port selector fills and searches: the items of a drop-down
// list on screen, or a plain list of texts. Texts are UTF-8.
#include <string>
#include <vector>

namespace serial {

class ComStrings {
public:
    virtual ~ComStrings() = default;

    virtual void Clear() = 0;
    virtual void Add(const std::string& text) = 0;
    virtual int Count() const = 0;
    virtual std::string Item(int index) const = 0;

    // The index of the first item equal to `text` ignoring letter case, or -1.
    int IndexOf(const std::string& text) const;
    // Replaces every item with `texts`, in their order.
    void Assign(const std::vector<std::string>& texts);
};

// Texts held in memory.
class ComStringList : public ComStrings {
public:
    void Clear() override { FItems.clear(); }
    void Add(const std::string& text) override { FItems.push_back(text); }
    int Count() const override { return static_cast<int>(FItems.size()); }
    std::string Item(int index) const override { return FItems.at(static_cast<std::size_t>(index)); }

    const std::vector<std::string>& Items() const { return FItems; }

private:
    std::vector<std::string> FItems;
};

} // namespace serial
