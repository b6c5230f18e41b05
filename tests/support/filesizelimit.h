#pragma once

#include <sys/resource.h>

namespace zu::test {

// A full disk, as far as this process can tell: files it writes stop growing at `bytes`, and
// the signal that would end the process is ignored, until the object is gone.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool isSet() const { return m_set; }

private:
    rlimit m_before{};
    void (*m_handler)(int) = nullptr;
    bool m_set = false;
};

} // namespace zu::test
