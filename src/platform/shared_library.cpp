#include "platform/shared_library.h"

#include <dlfcn.h>

#include <utility>

namespace morvel {

SharedLibrary::~SharedLibrary() {
    unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        unload();
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

bool SharedLibrary::load(const std::string& path) {
    unload();
    // Every symbol resolved now: a library that cannot be linked fails here, not in a call.
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return m_handle != nullptr;
}

void SharedLibrary::unload() {
    if (m_handle) ::dlclose(m_handle);
    m_handle = nullptr;
}

void* SharedLibrary::symbol(const char* name) const {
    return m_handle ? ::dlsym(m_handle, name) : nullptr;
}

}  // namespace morvel
