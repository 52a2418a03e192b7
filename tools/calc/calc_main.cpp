// SPDX-License-Identifier: GPL-3.0-or-later
// solvane-calc: the working solution of a base on the command line. It opens
// the base for reading only, with the checks the program makes, computes what
// the calculator shows and prints it as JSON or as a table. It never writes.

#include "core/error.h"
#include "core/number_text.h"
#include "model/base_snapshot.h"
#include "model/solution_calculation.h"
#include "store/connection.h"
#include "store/open_base.h"
#include "tools/calc/calc_report.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace solvane {

namespace {

constexpr int kFailure = 1;
constexpr int kWrongArguments = 2;

const char* const kHelp =
    "Использование: solvane-calc [БАЗА] [--solution НАЗВАНИЕ] [--litres Л] [--fit] [--format json|table]\n"
    "\n"
    "Показывает рабочий раствор базы Solvane так, как его показывает калькулятор:\n"
    "граммы удобрений на литр, расчёт по каждому элементу культуры, итоги и анализ.\n"
    "База открывается только для чтения и никогда не изменяется; её можно читать,\n"
    "пока она открыта в Solvane.\n"
    "\n"
    "  БАЗА                 файл базы (по умолчанию ./base.mdb)\n"
    "  --solution НАЗВАНИЕ  сохранённый раствор культуры вместо рабочего\n"
    "  --litres Л           ещё и граммы на Л литров\n"
    "  --fit                сначала подобрать граммы подбором базы (в памяти)\n"
    "  --format json|table  JSON (по умолчанию) или таблица для чтения\n"
    "  --help               эта справка\n"
    "\n"
    "Культура — запомненная калькулятором (или первая). Каждое число в JSON —\n"
    "{\"value\": число, \"shown\": \"текст в окне\"}.\n"
    "Коды выхода: 0 — готово, 1 — ошибка (база, раствор), 2 — неверные аргументы.\n";

struct Arguments {
    QString base = QStringLiteral("base.mdb");
    std::optional<QString> solution;
    std::optional<double> litres;
    bool fit = false;
    bool table = false;
    bool help = false;
};

void PrintLine(FILE* stream, const QString& text) {
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

// The arguments, or Error with the words that say what is wrong.
Arguments Parse(const QStringList& args) {
    Arguments a;
    bool baseGiven = false;
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        QString value;
        bool inlineValue = false;
        if (arg.startsWith(QStringLiteral("--")) && arg.contains(QLatin1Char('='))) {
            value = arg.mid(arg.indexOf(QLatin1Char('=')) + 1);
            arg = arg.left(arg.indexOf(QLatin1Char('=')));
            inlineValue = true;
        }
        const auto next = [&]() {
            if (inlineValue)
                return value;
            if (i + 1 >= args.size())
                throw Error(QStringLiteral("после %1 нужно значение").arg(arg));
            return args[++i];
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            a.help = true;
        } else if (arg == QLatin1String("--fit") && !inlineValue) {
            a.fit = true;
        } else if (arg == QLatin1String("--solution")) {
            a.solution = next();
        } else if (arg == QLatin1String("--litres")) {
            const QString text = next();
            double litres = 0;
            if (!TryParseFloat(text, litres) || !(litres > 0))
                throw Error(QStringLiteral("--litres ждёт число литров больше нуля, а не «%1»").arg(text));
            a.litres = litres;
        } else if (arg == QLatin1String("--format")) {
            const QString format = next();
            if (format != QLatin1String("json") && format != QLatin1String("table"))
                throw Error(QStringLiteral("--format бывает json или table, а не «%1»").arg(format));
            a.table = format == QLatin1String("table");
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            throw Error(QStringLiteral("неизвестный параметр «%1»").arg(args[i]));
        } else if (baseGiven) {
            throw Error(QStringLiteral("база указана дважды: «%1» и «%2»").arg(a.base, arg));
        } else {
            a.base = arg;
            baseGiven = true;
        }
    }
    return a;
}

int Run(const Arguments& a) {
    Connection connection(a.base, Connection::ReadingOnly::Yes);
    connection.open();
    const BaseSnapshot snapshot = ReadBaseSnapshot(connection);
    const QString file = QFileInfo(a.base).fileName();
    const std::optional<CropRecord> crop = OpeningCrop(snapshot);
    if (!crop)
        throw Error(QStringLiteral("В базе «%1» нет ни одной культуры.").arg(file));
    const SolutionInputs inputs = InputsFor(snapshot, crop->key);
    SolutionPass pass;
    pass.fit = a.fit && !a.solution;
    if (a.solution) {
        const std::vector<SolutionRecord> named = SolutionsNamed(snapshot, crop->key, *a.solution);
        if (named.empty())
            throw Error(QStringLiteral("В базе «%1» у культуры «%2» нет сохранённого раствора «%3».")
                            .arg(file, crop->name, *a.solution));
        if (named.size() > 1)
            throw Error(QStringLiteral("В базе «%1» у культуры «%2» несколько растворов называются «%3»; "
                                       "переименуйте их в программе.")
                            .arg(file, crop->name, *a.solution));
        pass.savedLines = SavedLinesOf(snapshot, named.front().key);
    }
    const SolutionOutcome outcome = WorkOut(inputs, pass);
    ReportRequest request;
    request.crop = crop->name;
    request.solution = a.solution;
    request.fitMode = FitModeOf(inputs.options.fitMode);
    request.litres = a.litres;
    const ReportValue report = SolutionReport(request, inputs, outcome);
    const QString text = a.table ? ReportTable(report) : report.json() + QLatin1Char('\n');
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : kFailure;
}

// One line of the error, naming the file where the words do not.
QString OneLine(QString text) {
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

} // namespace

} // namespace solvane

int main(int argc, char** argv) {
    using namespace solvane;
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    Arguments arguments;
    try {
        arguments = Parse(args);
    } catch (const Error& e) {
        PrintLine(stderr, QStringLiteral("solvane-calc: ") + e.message() + QStringLiteral(" (см. --help)"));
        return kWrongArguments;
    }
    if (arguments.help) {
        PrintLine(stdout, QString::fromUtf8(kHelp).trimmed());
        return 0;
    }
    try {
        return Run(arguments);
    } catch (const Error& e) {
        QString text = OneLine(e.message());
        if (!text.contains(QFileInfo(arguments.base).fileName()))
            text = QStringLiteral("%1: %2").arg(arguments.base, text);
        PrintLine(stderr, QStringLiteral("solvane-calc: ") + text);
    } catch (const std::exception& e) {
        PrintLine(stderr, QStringLiteral("solvane-calc: %1: %2").arg(arguments.base, QString::fromLocal8Bit(e.what())));
    }
    return kFailure;
}
