// Empty temporary files made ahead, on a thread of their own, in the folder
// where the last two results in place were written: creating a file can cost more
// than reading and replacing a small one (a file system may look past every
// recently freed file each time), and the next result in the same folder then
// takes one that is ready while that work went on beside the engine's. The
// files are created as a result writer creates its own (new, private, with
// the temporary marker in the name); those not taken are removed at the end.
// A run of many files in place holds one; on systems without it, or for a
// folder not asked for just before, the writer creates its own as ever.
#pragma once

#include "engine/textfile/fileplace.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class SpareTemporaries {
public:
    // ahead: how many are kept ready in the folder.
    explicit SpareTemporaries(int ahead = 8);
    SpareTemporaries(const SpareTemporaries&) = delete;
    SpareTemporaries& operator=(const SpareTemporaries&) = delete;
    // Removes the files not taken.
    ~SpareTemporaries();

    // A ready file in the folder that `folder` is open on, and its name there;
    // none otherwise (and files for that folder are made from now on when it
    // was also the folder asked for last).
    FileHandle take(int folder, QByteArray& name);

private:
    struct Spare {
        FileHandle file;
        QByteArray name;
    };
    void work();
    void dropAll(std::unique_lock<std::mutex>& lock);

    const size_t m_ahead;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_ending = false;
    bool m_stuck = false; // none could be made in the folder
    QString m_folderKey;
    QString m_lastAsked; // the folder of the last file asked for
    FileHandle m_folder; // where spares are made
    std::deque<Spare> m_spares;
    std::thread m_worker;
};
