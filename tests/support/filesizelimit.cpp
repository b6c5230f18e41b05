#include "filesizelimit.h"

#include <csignal>

namespace zu::test {

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    getrlimit(RLIMIT_FSIZE, &m_before);
    rlimit limited = m_before;
    limited.rlim_cur = bytes;
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    m_set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_before);
    std::signal(SIGXFSZ, m_handler);
}

} // namespace zu::test
