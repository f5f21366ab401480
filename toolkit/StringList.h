// A list of strings: the lines of a text, or a sorted set of names searched by halving.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TStringList {
public:
    // A sorted list keeps its order on every Add and takes no name twice; names compare without
    // regard to letter case, as the user's locale orders them.
    void SetSorted(bool sorted);

    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const { return lines_.at(index); }
    // The index the line was put at; in a sorted list, that of the equal name already there.
    int Add(const std::string& line);
    void Delete(int index);
    void Clear();
    void Assign(const TStringList& source);

    // In a sorted list: whether the name is there, and where it is or would go.
    bool Find(const std::string& name, int& index) const;
    int IndexOf(const std::string& line) const;

    // The lines, each ended by a carriage return and line feed.
    std::string Text() const;
    // Replaces the lines with those of a text broken at CR, LF or CR LF; it ends at a NUL.
    void SetText(const std::string& text);

    // Raised after every change.
    std::function<void()> OnChange;

    static int Compare(const std::string& a, const std::string& b);

private:
    void Changed();

    std::vector<std::string> lines_;
    bool sorted_ = false;
};
