#include "db/engine/jet/PageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "db/engine/Error.h"
#include "db/engine/jet/Corrupt.h"

namespace pelmora::engine::jet {

void corrupt(const std::string& path, const std::string& what) {
    throw Error("La base de datos «" + path + "» está dañada: " + what);
}

const char* pageTypeName(PageType type) {
    switch (type) {
        case PageType::Header:
            return "cabecera";
        case PageType::Data:
            return "datos";
        case PageType::TableDef:
            return "definición de tabla";
        case PageType::IndexNode:
            return "índice (nodo)";
        case PageType::IndexLeaf:
            return "índice (hoja)";
        case PageType::UsageBitmap:
            return "mapa de uso";
    }
    return "desconocido";
}

const uint8_t* Page::at(size_t offset, size_t length) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset)
        corrupt("un dato de " + std::to_string(length) + " bytes en la posición " +
                std::to_string(offset) + " sale de la página");
    return bytes_.data() + offset;
}

uint16_t Page::u16(size_t offset) const {
    const uint8_t* p = at(offset, 2);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t Page::u32(size_t offset) const {
    const uint8_t* p = at(offset, 4);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

std::string_view Page::bytes(size_t offset, size_t length) const {
    return {reinterpret_cast<const char*>(at(offset, length)), length};
}

void Page::set16(size_t offset, uint16_t value) {
    uint8_t* p = mutableAt(offset, 2);
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

void Page::set32(size_t offset, uint32_t value) {
    uint8_t* p = mutableAt(offset, 4);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> 8 * i);
}

void Page::setBytes(size_t offset, std::string_view bytes) {
    std::memcpy(mutableAt(offset, bytes.size()), bytes.data(), bytes.size());
}

void Page::move(size_t from, size_t to, size_t length) {
    at(from, length);
    std::memmove(mutableAt(to, length), bytes_.data() + from, length);
}

void Page::fill(size_t offset, size_t length, uint8_t value) {
    std::memset(mutableAt(offset, length), value, length);
}

void Page::corrupt(const std::string& what) const {
    jet::corrupt(*path_, "página " + std::to_string(number_) + ": " + what);
}

PageFile::PageFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw Error("No se puede abrir la base de datos «" + path_ + "»: " + std::strerror(errno));
    try {
        readSize();
        restoreAtOpen();
    } catch (...) {
        ::close(fd_);
        throw;
    }
}

// A group never ended is not stored: the file stays as it was before it.
PageFile::~PageFile() {
    abandonGroup();
    ::close(fd_);
}

std::vector<uint8_t> PageFile::readStart(size_t length) const {
    std::vector<uint8_t> bytes(length);
    ssize_t n = ::pread(fd_, bytes.data(), length, 0);
    if (n < 0)
        throw Error("No se puede leer la base de datos «" + path_ + "»: " + std::strerror(errno));
    bytes.resize(static_cast<size_t>(n));
    return bytes;
}

void PageFile::setFormat(const Format& format) {
    format_ = &format;
    pageCount_ = static_cast<uint32_t>(std::min<uint64_t>(size_ / format.pageSize, UINT32_MAX));
}

void PageFile::corrupt(const std::string& what) const {
    jet::corrupt(path_, what);
}

void PageFile::evictUnused() {
    for (auto it = cache_.begin(); it != cache_.end();) {
        if (it->second.use_count() == 1)
            it = cache_.erase(it);
        else
            ++it;
    }
}

PageRef PageFile::page(uint32_t number, const char* what) {
    if (!dirty_.empty()) {
        auto written = dirty_.find(number);
        if (written != dirty_.end()) return written->second;
    }
    auto found = cache_.find(number);
    if (found != cache_.end()) return found->second;
    if (number >= pageCount_)
        corrupt(std::string(what) + " apunta a la página " + std::to_string(number) +
                ", más allá del final del fichero (" + std::to_string(pageCount_) + " páginas)");
    const uint32_t size = format_->pageSize;
    std::vector<uint8_t> bytes(size);
    ssize_t n = ::pread(fd_, bytes.data(), size, static_cast<off_t>(number) * size);
    if (n != static_cast<ssize_t>(size))
        throw Error("No se puede leer la página " + std::to_string(number) +
                    " de la base de datos «" + path_ + "»" +
                    (n < 0 ? std::string(": ") + std::strerror(errno) : std::string()));
    if (cache_.size() >= kCachedPages) evictUnused();
    auto page = std::make_shared<Page>(path_, number, std::move(bytes));
    cache_.emplace(number, page);
    return page;
}

PageRef PageFile::page(uint32_t number, PageType expected, const char* what) {
    PageRef p = page(number, what);
    if (p->type() != expected)
        p->corrupt(std::string(what) + " espera una página de " + pageTypeName(expected) +
                   " y encuentra una de tipo " + std::to_string(static_cast<int>(p->type())) +
                   " (" + pageTypeName(p->type()) + ")");
    return p;
}

}  // namespace pelmora::engine::jet
