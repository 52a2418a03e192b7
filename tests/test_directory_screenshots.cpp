// Pictures of the four directory windows filled from the starter database,
// for the documentation. Runs only when SOLVANE_SCREENSHOTS names the
// directory to write them into:
//   SOLVANE_SCREENSHOTS=docs/screenshots QT_QPA_PLATFORM=offscreen test_directory_screenshots

#include "windows/directories/coefficient_form.h"
#include "windows/directories/converter_form.h"
#include "windows/directories/element_form.h"
#include "windows/directories/fertilizer_form.h"
#include "directories_fixture.h"
#include "large_screen.h"

#include <QDir>
#include <QLineEdit>
#include <QPixmap>

using namespace solvane;
using solvane::test::DirectorySession;

class DirectoryScreenshots : public QObject {
    Q_OBJECT
private slots:
    void saveTheWindows() {
        const QString target = qEnvironmentVariable("SOLVANE_SCREENSHOTS");
        if (target.isEmpty())
            QSKIP("SOLVANE_SCREENSHOTS is not set");
        const QString dir = QDir(target).absolutePath();
        QVERIFY(QDir().mkpath(dir));
        DirectorySession s;
        const auto save = [&](Form& form, const char* file) {
            form.showWindow();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(form.grab().save(QDir(dir).filePath(QString::fromLatin1(file))));
        };
        save(*s.p().Form3, "element_directory.png");
        save(*s.p().Form6, "coefficient_directory.png");
        TForm2& fertilizers = *s.p().Form2;
        save(fertilizers, "fertilizer_directory.png");
        TF_Converter& converter = *s.p().F_Converter;
        converter.Edit1->setText(QStringLiteral("5"));
        save(converter, "converter.png");
        QVERIFY(s.errors().isEmpty());
    }
};

SOLVANE_LARGE_SCREEN_TEST_MAIN(DirectoryScreenshots)
#include "test_directory_screenshots.moc"
