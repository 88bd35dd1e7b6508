#include "tests/support/smalltmpfs.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

SmallTmpfs::SmallTmpfs(const QString &folder, int kilobytes)
    : mFolder(folder)
{
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    mMounted
        = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData())
        == 0;
    if (!mMounted)
        mError = QString::fromLocal8Bit(std::strerror(errno));
}

SmallTmpfs::~SmallTmpfs()
{
    if (mMounted)
        ::umount2(QFile::encodeName(mFolder).constData(), MNT_DETACH);
}

bool SmallTmpfs::fill()
{
    QFile filler(mFolder + QStringLiteral("/.filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const QByteArray page(4096, 'f');
    while (filler.write(page) == page.size()) { }
    return filler.write(QByteArray(1, 'f')) <= 0;
}
