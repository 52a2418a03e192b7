// SPDX-License-Identifier: GPL-3.0-or-later
// 200 copies of a starter base, each with a few bytes flipped at seeded
// places, opened by the whole program headless. Whatever the damage, the
// program does not crash (AddressSanitizer watches), it either starts or says
// why it does not (and leaves the file as it was), and once it has reported
// the file damaged, neither the file nor its log change any more.

#include "app/launcher_window.h"
#include "app/program.h"
#include "controls/message_service.h"
#include "core/error.h"
#include "store/database.h"
#include "store/starter_database.h"
#include "support/test_base.h"
#include "support/test_dir.h"
#include "windows/calculator/calculator_window.h"
#include "windows/calculator/composition_pane.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QtTest>
#include <memory>

using namespace solvane;
using namespace solvane::test;

namespace {

constexpr int kCopies = 200;

// The base and its log with their bytes; the engine's shared memory by its
// presence only.
QMap<QString, QByteArray> BaseFiles() {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir().entryList({QStringLiteral("base.mdb*")}, QDir::Files | QDir::Hidden))
        files.insert(name, name.endsWith(QLatin1String("-shm")) ? QByteArray() : FileBytes(name));
    return files;
}

bool SaidDamaged(Program& program, size_t from) {
    const std::vector<ShownMessage>& shown = program.messages().shown();
    for (size_t i = from; i < shown.size(); ++i)
        if (shown[i].text.contains(QStringLiteral("повреждён")))
            return true;
    return false;
}

} // namespace

class FuzzBaseTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        WorkingDirectory dir;
        CreateStarterDatabase(QStringLiteral("base.mdb"));
        starter_ = FileBytes();
        QVERIFY(starter_.size() > 4096);
    }

    void flippedCopiesNeverHarmTheGrower() {
        int started = 0, refused = 0, damagedAtWork = 0;
        for (int seed = 0; seed < kCopies; ++seed) {
            const WorkingDirectory dir;
            QRandomGenerator random(static_cast<quint32>(seed));
            QByteArray bytes = starter_;
            const int flips = 1 + random.bounded(4);
            for (int i = 0; i < flips; ++i) {
                // A page's header and first cell pointers more often than the rest.
                const int page = random.bounded(static_cast<int>(bytes.size() / 4096));
                const int offset = random.bounded(3) ? random.bounded(4096) : random.bounded(16);
                bytes[page * 4096 + offset] ^= static_cast<char>(1 + random.bounded(255));
            }
            QFile file(QStringLiteral("base.mdb"));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            file.close();
            const QMap<QString, QByteArray> before = BaseFiles();

            std::unique_ptr<Program> program;
            QString refusal;
            try {
                program = std::make_unique<Program>();
            } catch (const Error& e) {
                refusal = e.message();
            }
            if (!program) {
                ++refused;
                QVERIFY2(refusal.contains(QStringLiteral("base.mdb")), qPrintable(refusal));
                QVERIFY2(BaseFiles() == before, qPrintable(QStringLiteral("copy %1 was changed").arg(seed)));
                continue;
            }
            ++started;
            program->messages().setMode(MessageService::Mode::Headless);
            QObject::disconnect(program.get(), &Program::ending, nullptr, nullptr);
            // What a grower does first: the launcher, the calculator, ">",
            // a target typed, the calculator closed. After a report of
            // damage, the files must stay as they then are.
            QMap<QString, QByteArray> reported;
            bool damaged = false;
            const auto step = [&](const std::function<void()>& action) {
                const size_t from = program->messages().shown().size();
                action();
                if (!damaged && SaidDamaged(*program, from)) {
                    damaged = true;
                    reported = BaseFiles();
                }
            };
            CalculatorWindow& calc = program->calculator();
            step([&] { program->launcher().show(); });
            step([&] { calc.show(); });
            step([&] { calc.runGuarded([&] { calc.compositionPane()->addFertilizer(); }); });
            step([&] {
                calc.runGuarded([&] {
                    DataSet& targets = program->data().targets;
                    targets.first();
                    targets.edit();
                    targets.fieldByName(QStringLiteral("vega"))->setAsFloat(123);
                    targets.post();
                });
            });
            step([&] { calc.close(); });
            program.reset();
            if (damaged) {
                ++damagedAtWork;
                QVERIFY2(BaseFiles() == reported,
                         qPrintable(QStringLiteral("copy %1 was written after its damage was reported").arg(seed)));
            }
        }
        qInfo("%d copies started (%d of them reported damage at work), %d refused", started, damagedAtWork, refused);
        QCOMPARE(started + refused, kCopies);
    }

private:
    QByteArray starter_;
};

QTEST_MAIN(FuzzBaseTest)
#include "test_fuzz_base.moc"
