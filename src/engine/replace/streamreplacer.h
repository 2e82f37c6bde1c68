// Replacement of find/replace pairs in a text that arrives in chunks. Each
// pair keeps back the tail of its input that may still start an occurrence,
// so that the result equals replacing on the whole text: left to right,
// non-overlapping, each pair on the result of the ones before it. Works on
// bytes or UTF-16 units alike; memory is bounded by the chunk size.
#pragma once

#include "engine/replace/unitfinder.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

template <class Unit>
class PairReplacer {
public:
    using View = std::basic_string_view<Unit>;
    using Buffer = std::basic_string<Unit>;

    PairReplacer(Buffer find, Buffer replace)
        : m_find(std::move(find)), m_replace(std::move(replace)), m_finder(View(m_find))
    {
    }
    // The finder keeps a view of m_find.
    PairReplacer(const PairReplacer&) = delete;
    PairReplacer& operator=(const PairReplacer&) = delete;

    // Appends to out the replaced text that no later input can change.
    void feed(View in, Buffer& out)
    {
        const size_t f = m_find.size();
        if (f == 0) {
            out.append(in);
            return;
        }
        if (m_carry.empty()) {
            scan(in, 0, out);
        } else if (in.size() < f) {
            // Too little new text to settle the carried tail: go on with both.
            Buffer joined = m_carry + Buffer(in);
            m_carry.clear();
            scan(View(joined), 0, out);
        } else {
            // An occurrence that starts in the carried tail ends within the
            // first f - 1 units of the new text.
            const Buffer seam = m_carry + Buffer(in.substr(0, f - 1));
            const size_t at = m_finder.find(View(seam), 0);
            size_t resume = 0;
            if (at < m_carry.size()) {
                out.append(m_carry, 0, at);
                out.append(m_replace);
                ++m_count;
                resume = at + f - m_carry.size();
            } else {
                out.append(m_carry);
            }
            m_carry.clear();
            scan(in, resume, out);
        }
    }

    // The end of the text: the kept tail can hold no occurrence.
    void finish(Buffer& out)
    {
        out.append(m_carry);
        m_carry.clear();
    }

    qint64 replacements() const { return m_count; }

private:
    void scan(View in, size_t from, Buffer& out)
    {
        const size_t f = m_find.size();
        for (;;) {
            const size_t at = m_finder.find(in, from);
            if (at == View::npos)
                break;
            out.append(in.substr(from, at - from));
            out.append(m_replace);
            ++m_count;
            from = at + f;
        }
        // Units from here on may begin an occurrence that the next input completes.
        const size_t keep = in.size() >= f - 1 ? std::max(from, in.size() - (f - 1)) : from;
        out.append(in.substr(from, keep - from));
        m_carry.assign(in.substr(keep));
    }

    Buffer m_find;
    Buffer m_replace;
    UnitFinder<Unit> m_finder;
    Buffer m_carry;
    qint64 m_count = 0;
};

// The pairs of one file in order, each working on the output of the one before.
template <class Unit>
class ReplacementChain {
public:
    using View = std::basic_string_view<Unit>;
    using Buffer = std::basic_string<Unit>;

    void addPair(Buffer find, Buffer replace)
    {
        m_pairs.emplace_back(std::make_unique<PairReplacer<Unit>>(std::move(find), std::move(replace)));
        m_outputs.emplace_back();
    }
    size_t size() const { return m_pairs.size(); }

    // Runs pair j on in (the chunk for j == 0, else what pair j - 1 gave for
    // it); the result stays valid until clear(). With last set the pair also
    // gives out its kept tail.
    View runPair(size_t j, View in, bool last)
    {
        Buffer& out = m_outputs[j];
        out.clear();
        m_pairs[j]->feed(in, out);
        if (last)
            m_pairs[j]->finish(out);
        return View(out);
    }

    qint64 replacements() const
    {
        qint64 total = 0;
        for (const auto& pair : m_pairs)
            total += pair->replacements();
        return total;
    }

private:
    std::vector<std::unique_ptr<PairReplacer<Unit>>> m_pairs;
    std::vector<Buffer> m_outputs;
};
