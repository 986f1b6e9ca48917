#pragma once

#include <string>

namespace morvel {

// A shared library loaded with dlopen, unloaded when the object goes away.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads the library at path (a path with a "/" is taken as it is, no search). False when the
    // file is missing, is no library of this machine, or cannot be linked.
    bool load(const std::string& path);
    bool loaded() const { return m_handle != nullptr; }
    void unload();

    // The address of an exported symbol, or nullptr.
    void* symbol(const char* name) const;

    template <typename Function>
    Function function(const char* name) const {
        return reinterpret_cast<Function>(symbol(name));
    }

private:
    void* m_handle = nullptr;
};

}  // namespace morvel
