// The short copy between replacements: every length and every amount the
// source has, with the source's last unit just before a page that cannot be
// read, so that a read past it stops the test.
#include "engine/replace/shortcopy.h"

#include <QTest>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// Two pages, the second unreadable; the source ends where the first does.
class GuardedPages {
public:
    GuardedPages() : m_page(size_t(sysconf(_SC_PAGESIZE)))
    {
        void* pages = mmap(nullptr, 2 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        m_pages = pages == MAP_FAILED ? nullptr : static_cast<char*>(pages);
        if (m_pages && mprotect(m_pages + m_page, m_page, PROT_NONE) != 0) {
            munmap(m_pages, 2 * m_page);
            m_pages = nullptr;
        }
    }
    ~GuardedPages()
    {
        if (m_pages)
            munmap(m_pages, 2 * m_page);
    }
    bool ready() const { return m_pages != nullptr; }
    // The last `units` units before the unreadable page.
    template <class Unit> Unit* last(size_t units) const { return reinterpret_cast<Unit*>(m_pages + m_page) - units; }
    size_t page() const { return m_page; }

private:
    size_t m_page;
    char* m_pages = nullptr;
};

} // namespace

class TestShortCopy : public QObject {
    Q_OBJECT

private:
    template <class Unit> void copiesNoMoreThanTheSourceHas()
    {
        GuardedPages pages;
        QVERIFY(pages.ready());
        constexpr size_t block = shortCopyBlock<Unit>;
        for (size_t readable = 0; readable <= 12 * block; ++readable) {
            Unit* source = pages.last<Unit>(readable);
            for (size_t i = 0; i < readable; ++i)
                source[i] = Unit('a' + i % 26);
            for (size_t n = 0; n <= readable; ++n) {
                std::vector<Unit> out(std::max(n, 4 * block) + block, Unit('#'));
                copyShort(out.data(), source, n, readable);
                QVERIFY2(std::equal(source, source + n, out.begin()),
                    qPrintable(QStringLiteral("%1 of %2 units").arg(n).arg(readable)));
            }
        }
    }

private slots:
    void copiesNoMoreThanTheSourceHas_bytes() { copiesNoMoreThanTheSourceHas<char>(); }
    void copiesNoMoreThanTheSourceHas_units() { copiesNoMoreThanTheSourceHas<char16_t>(); }
};

QTEST_GUILESS_MAIN(TestShortCopy)
#include "test_shortcopy.moc"
