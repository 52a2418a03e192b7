#include "windows/settings/options.h"

#include "app/launcher_form.h"
#include "app/program.h"
#include "windows/calculator/calculator_form.h"
#include "controls/db_grid.h"
#include "controls/db_spin_box.h"
#include "windows/settings/colours.h"
#include "windows/settings/options_form.h"
#include "store/dataset.h"

#include <QApplication>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <array>

namespace solvane {

namespace {

// The options record as ApplyOptions uses it; an empty field reads as
// false, 0 or black (0).
struct OptionsRecord {
    bool c21 = false, c22 = false, c31 = false, c32 = false, c34 = false;
    bool avto = false, ppm1 = false, ppm2 = false, kult = false;
    int maxim = 0;
    std::array<long long, 15> cl{}; // cl[1] .. cl[14]
};

OptionsRecord readOptions(DataSet& set) {
    // Only the first row counts; an empty table reads as a record of empty fields.
    set.first();
    auto boolean = [&set](const char* name) { return set.fieldByName(QLatin1String(name))->asBoolean(); };
    OptionsRecord r;
    r.c21 = boolean("c21");
    r.c22 = boolean("c22");
    r.c31 = boolean("c31");
    r.c32 = boolean("c32");
    r.c34 = boolean("c34");
    r.avto = boolean("avto");
    r.ppm1 = boolean("ppm1");
    r.ppm2 = boolean("ppm2");
    r.kult = boolean("kult");
    r.maxim = set.fieldByName(QStringLiteral("maxim"))->asInteger();
    for (int n = 1; n <= 14; ++n)
        r.cl[static_cast<size_t>(n)] = set.fieldByName(QStringLiteral("cl%1").arg(n))->asLargeInt();
    return r;
}

// The fourteen colour holders. Setting holder 1, 3, 7, 8 or 9 passes the
// colour on to other holders, which do not pass it further.
class ColourHolders {
public:
    void set(int n, long long colour) {
        at(n) = colour;
        switch (n) {
        case 1:
            at(4) = colour;
            at(10) = colour;
            break;
        case 3:
            at(5) = colour;
            break;
        case 7:
            at(11) = colour;
            at(13) = colour;
            break;
        case 8:
            at(12) = colour;
            at(14) = colour;
            break;
        case 9:
            at(2) = colour;
            break;
        default:
            break;
        }
    }
    // The holder's colour as shown: invalid when the value names no colour.
    QColor colour(int n) const { return StoredColour(holders_[static_cast<size_t>(n)], QApplication::palette()); }

private:
    long long& at(int n) { return holders_[static_cast<size_t>(n)]; }
    std::array<long long, 15> holders_{};
};

void colourBackground(QWidget* widget, const QColor& colour) {
    SetWidgetColour(widget, QPalette::Window, colour);
}

} // namespace

void ApplyOptions(Program& program) {
    const OptionsRecord options = readOptions(program.Form18->ADOTable1);
    TForm4& calc = *program.Form4;

    // 1. The holders, in ascending order; holder 2 ends with cl9.
    ColourHolders holders;
    for (int n = 1; n <= 14; ++n)
        holders.set(n, options.cl[static_cast<size_t>(n)]);

    // 2. The calculator's colours.
    calc.dxDBGrid4kol->setColour(holders.colour(2));
    calc.dxDBGrid4kol_temp->setColour(holders.colour(3));
    SetWidgetColour(calc.dxDBSpinEdit1, QPalette::Base, holders.colour(5));
    calc.dxDBGrid3name_el->setColour(holders.colour(6));
    calc.dxDBGrid3vega->setColour(holders.colour(7));
    calc.dxDBGrid3rachet->setColour(holders.colour(9));
    colourBackground(calc.Label11, holders.colour(1));
    colourBackground(calc.Label13, holders.colour(1));
    colourBackground(calc.RxSlider1, holders.colour(1));
    colourBackground(calc.PanelStrengthEdit, holders.colour(1));
    colourBackground(calc.Label10, holders.colour(9));
    colourBackground(calc.Label4, holders.colour(9));
    colourBackground(calc.Label5, holders.colour(7));
    colourBackground(calc.Label9, holders.colour(8));

    // 3. The totals strips: PPM, then mg/l.
    calc.PanelPpm->setVisible(options.ppm2);
    calc.PanelMgl->setVisible(options.ppm1);

    // 4. The crop grid and its navigators.
    calc.dxDBGrid6->setVisible(options.kult);
    calc.CropNavigators->setVisible(options.kult);

    // 5. The strength slider's maximum, by the slider's own rule.
    calc.setStrengthMaximum(options.maxim);

    // 6. The calculator's auto-start.
    if (options.avto)
        program.Form1->Timer1->start();
    else
        program.Form1->Timer1->stop();

    // 7. The columns.
    calc.dxDBGrid4kol->setVisible(options.c21);
    calc.dxDBGrid4kol_temp->setVisible(options.c22);
    calc.dxDBGrid3name_el->setVisible(options.c31);
    calc.dxDBGrid3vega->setVisible(options.c32);
    calc.dxDBGrid3rachet->setVisible(options.c34);

    // 8. The fit and the source water the recipe uses.
    calc.showFitChoice();
}

} // namespace solvane
