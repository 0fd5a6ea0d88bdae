#pragma once

#include <string>

// A fresh folder under parent, removed with all it holds (links are not followed).
// Paths are raw bytes and end without a separator.
class TempTree {
public:
    explicit TempTree(const std::string& parent = "/tmp");
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
void MakeFolder(const std::string& path);
bool Exists(const std::string& path); // lstat: a dangling link exists too
// Removes path and everything below it, read-only folders too, never following a link.
void RemoveTree(const std::string& path);
