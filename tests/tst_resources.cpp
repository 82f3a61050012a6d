#include "ArtGenerator.h"
#include "TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

const QString root = QStringLiteral(":/resources/images/");

// Every image in a file: one for most formats, several for an icon file.
QList<QImage> readAll(QImageReader &&reader)
{
    QList<QImage> images;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        images << reader.read();
    }
    return images;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_generated.isValid());
        ArtGenerator generator(m_generated.path());
        QVERIFY2(generator.run(), qPrintable(generator.errorString()));
        m_written = generator.writtenFiles();
    }

    // The committed pictures are what the generator makes from its sources, and nothing
    // else: a stale or hand-edited file would otherwise go unnoticed.
    void generatorMatchesTheCommittedSet()
    {
        QCOMPARE(m_written, ArtGenerator::expectedFiles());
        QSet<QString> committed;
        QDirIterator it(root, {"*.png", "*.ico"}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            committed.insert(it.next().mid(root.size()));
        QCOMPARE(committed, QSet<QString>(m_written.cbegin(), m_written.cend()));
        for (const QString &file : m_written) {
            const QList<QImage> fresh = readAll(QImageReader(m_generated.filePath(file)));
            const QList<QImage> kept = readAll(QImageReader(root + file));
            QCOMPARE(fresh.size(), kept.size());
            for (qsizetype i = 0; i < fresh.size(); ++i)
                QVERIFY2(TestSupport::fuzzyEqual(fresh[i], kept[i], 2, 0.001), qPrintable(file));
        }
    }

    // Every size of the application icon is drawn on a clear background. The toolkit reads
    // the alpha of a bitmap entry, Windows its mask: rows padded to four bytes, bottom row
    // first, a set bit for each clear pixel. Windows picks a size by the directory entry,
    // where a side of 256 is written 0.
    void applicationIcon()
    {
        QFile file(m_generated.filePath("RerivUzazara.ico"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ico = file.readAll();
        const QList<QImage> sizes = readAll(QImageReader(file.fileName()));
        QCOMPARE(sizes.size(), 4);
        const int sides[] = {16, 32, 48, 256};
        for (int i = 0; i < 4; ++i) {
            const QImage image = sizes[i].convertToFormat(QImage::Format_ARGB32);
            const int side = sides[i];
            QCOMPARE(image.size(), QSize(side, side));
            const char *entry = ico.constData() + 6 + 16 * i;
            QCOMPARE(QSize(quint8(entry[0]), quint8(entry[1])), QSize(side % 256, side % 256));
            const QByteArray payload = ico.mid(qFromLittleEndian<quint32>(entry + 12),
                                               qFromLittleEndian<quint32>(entry + 8));
            const int mask = 40 + side * side * 4, stride = (side + 31) / 32 * 4;
            int covered = 0;
            for (int y = 0; y < side; ++y) {
                for (int x = 0; x < side; ++x) {
                    covered += qAlpha(image.pixel(x, y)) > 32 ? 1 : 0;
                    if (side < 256)
                        QCOMPARE(bool(payload[mask + (side - 1 - y) * stride + x / 8] &
                                      (0x80 >> (x % 8))),
                                 qAlpha(image.pixel(x, y)) == 0);
                }
            }
            QVERIFY(qAlpha(image.pixel(0, 0)) == 0 && covered > side * side * 3 / 10);
        }
    }

private:
    QTemporaryDir m_generated;
    QStringList m_written;
};

QUILTRA_TEST_MAIN(TestResources)
#include "tst_resources.moc"
