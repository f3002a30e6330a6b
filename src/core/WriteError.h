#pragma once

#include <QString>

namespace quorvel {

// Names why a write failed in words a user can act on. A failed write reaches the program as a
// system error number, which SQLite and Qt turn into texts such as "disk I/O error" or "Unknown
// error" that do not say the disk is full or the file has reached the size limit set for the
// program.
class WriteError
{
public:
    // The cause a system error number stands for ("磁盘空间已满" for ENOSPC); empty when it is
    // not one of the causes of a failed write.
    static QString causeOf(int systemError);

    // `text` with the cause in front when the number has one: "磁盘空间已满（disk I/O error）".
    static QString withCause(const QString& text, int systemError);

    // Makes a file growing past the size limit the system sets for the program fail its write,
    // reported like a full disk, instead of ending the program in the middle of its work. Called
    // once at the start of each program.
    static void failWritesPastSizeLimit();
};

} // namespace quorvel
