// The soak's two figures follow what the process really holds: memory it touches shows in the
// resident size, descriptors it opens and closes show in the count.
#include "platform/ProcessUsage.h"

#include <QFile>
#include <QTemporaryFile>
#include <QTest>
#include <cstring>
#include <memory>
#include <vector>

class TestProcessUsage : public QObject {
    Q_OBJECT
private slots:
    void residentSizeFollowsTouchedMemory()
    {
        const long before = platform::ResidentKiB();
        QVERIFY2(before > 0, qPrintable(QString::number(before)));
        // 16 MiB written page by page is resident; the allocator cannot leave it out.
        constexpr size_t size = 16u << 20;
        std::unique_ptr<char[]> block(new char[size]);
        std::memset(block.get(), 0x5a, size);
        const long after = platform::ResidentKiB();
        QVERIFY2(after - before >= 15 * 1024, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
        QCOMPARE(block[size - 1], char(0x5a));
    }

    void descriptorCountFollowsOpenFiles()
    {
        const int before = platform::OpenFileCount();
        QVERIFY(before >= 3);
        std::vector<std::unique_ptr<QTemporaryFile>> files;
        for (int i = 0; i < 5; ++i) {
            files.push_back(std::make_unique<QTemporaryFile>());
            QVERIFY(files.back()->open());
        }
        QCOMPARE(platform::OpenFileCount(), before + 5);
        files.clear();
        QCOMPARE(platform::OpenFileCount(), before);
    }
};

QTEST_GUILESS_MAIN(TestProcessUsage)
#include "test_processusage.moc"
