#include "main_window/control_table.h"

#include "controls/palette.h"

namespace mw
{

namespace
{

const QString kComic = QStringLiteral("Comic Sans MS");
using namespace ctl;

ControlRow row(const QString& name, Kind kind, const QString& container, const QString& caption,
               double l, double t, double w, double h)
{
    ControlRow r;
    r.name = name;
    r.kind = kind;
    r.container = container;
    r.caption = caption;
    r.left = l;
    r.top = t;
    r.width = w;
    r.height = h;
    return r;
}

ControlRow& font(ControlRow& r, double size, const QString& name = kComic)
{
    r.fontName = name;
    r.fontSize = size;
    return r;
}

std::vector<ControlRow> build()
{
    std::vector<ControlRow> t;
    auto add = [&t](ControlRow r) -> ControlRow& {
        t.push_back(std::move(r));
        return t.back();
    };
    auto frame = [&](const QString& name, const QString& container, const QString& caption,
                     double l, double tp, double w, double h, qint64 back, qint64 fore,
                     double size) -> ControlRow& {
        ControlRow& r = add(row(name, Kind::Frame, container, caption, l, tp, w, h));
        r.back = back;
        r.fore = fore;
        return font(r, size);
    };
    auto button = [&](const QString& name, const QString& container, const QString& caption,
                      double l, double tp, double w, double h, qint64 back,
                      double size) -> ControlRow& {
        ControlRow& r = add(row(name, Kind::Button, container, caption, l, tp, w, h));
        r.back = back;
        return font(r, size);
    };
    auto label = [&](const QString& name, const QString& container, const QString& caption,
                     double l, double tp, double w, double h) -> ControlRow& {
        ControlRow& r = add(row(name, Kind::Label, container, caption, l, tp, w, h));
        return font(r, 9.75);
    };

    frame("FrameMain", QString(), QString(), 0, 0, 15975, 11025, k3DLight, kNoColor, 8.25).flags =
        NoBorder;
    frame("Frame_Dravik_Buttons", "FrameMain", "Dravik stations", 7320, 4695, 3975, 4230, k3DLight,
          0, 12);
    const QString stations = QStringLiteral("Frame_Dravik_Buttons");
    button("CMD_TransHandling", stations, "Transportband en Station handling", 240, 2550, 3510, 720,
           kButtonFace, 12)
        .flags = Bold;
    button("CMD_Stationhandling", stations, "Station handling", 240, 1725, 3510, 690, kButtonFace,
           12)
        .flags = Bold;
    button("CMD_Transportband", stations, "Transportband", 240, 1050, 3510, 690, kButtonFace, 12)
        .flags = Bold;
    button("CMD_Interfacing", stations, "Easyport Mini", 240, 3480, 3510, 615, kButtonFace, 12)
        .flags = Bold;
    button("CMD_StapelMagazijn", stations, "Stapel magazijn", 240, 375, 3510, 690, kButtonFace, 12)
        .flags = Bold;

    frame("FrameIngangen", "FrameMain", "Ingangen", 7320, 120, 4215, 4335, KleurGroen,
          KleurDonkergroen, 12);
    frame("Frame6", "FrameIngangen", QString(), 150, 360, 3975, 3885, KleurGroen, kNoColor, 8.25)
        .flags = NoBorder;
    for (int i : {7, 6, 5, 4, 3, 2, 0, 1}) {
        const QString box = QStringLiteral("PictureLabelIngangen(%1)").arg(i);
        ControlRow& pb =
            add(row(box, Kind::PictureBox, "Frame6", QString(), 30, 480.0 * i, 3075, 420));
        pb.back = KleurGroen;
        font(pb, 8.25);
        ControlRow& lb =
            label(QStringLiteral("Label_Ingang(%1)").arg(i), box, "Ingang 1", 90, 30, 2805, 270);
        lb.fore = 0;
        lb.flags = Transparent | Centred;
    }
    for (int n = 8; n >= 1; --n) {
        ControlRow& s = add(row(QStringLiteral("Shape_LampjeIn(%1)").arg(n), Kind::Shape, "Frame6",
                                QString(), 3360, 480.0 * (n - 1), 495, 420));
        s.back = KleurLampUit;
        s.shapeBack = KleurKnopGrijs;
        s.flags = Rounded;
    }

    frame("FrameCommand", "FrameMain", " Command ", 120, 9030, 4830, 1815, KleurZilver, KleurMarine,
          9.75);
    button("CMD_Verder", "FrameCommand", "Verder", 180, 300, 2235, 690, KleurKnopGrijs, 11.25);
    button("CMD_Terug", "FrameCommand", "Terug", 180, 1005, 2235, 690, KleurKnopGrijs, 11.25);
    button("CMD_Help", "FrameCommand", "Help", 2430, 300, 2235, 690, KleurKnopGrijs, 11.25);
    button("CMD_Afsluiten", "FrameCommand", "Afsluiten", 2430, 1005, 2235, 690, KleurKnopGrijs,
           11.25);

    frame("FrameEasyPort", "FrameMain", " EasyPort Control ", 5145, 9015, 4815, 1815, KleurZilver,
          KleurMarine, 9.75);
    frame("Frame1", "FrameEasyPort", QString(), 120, 1110, 4575, 615, kNoColor, kNoColor, 8.25);
    button("Command1", "Frame1", "Dravik DLL versie", 2520, 120, 1935, 375, kNoColor, 9.75);
    // Wide enough for a five-digit port ("65535"); "Module:" and its number
    // moved right to make room.
    label("Label_Modulenummer", "Frame1", "-", 1965, 180, 375, 255);
    label("Label_Compoort", "Frame1", "-", 600, 180, 600, 255);
    label("Label3", "Frame1", "Module:", 1230, 180, 735, 255);
    label("Label2", "Frame1", "Com:", 120, 180, 495, 255);
    button("CMD_Verbinding", "FrameEasyPort", "Zoek en verbind", 120, 330, 2415, 690, KleurGroen,
           11.25)
        .toolTip = QStringLiteral("Maak een verbinding met de EasyPort");
    add(row("EasyPort1", Kind::Interface, "FrameEasyPort", QString(), 720, 360, 1335, 375));
    {
        ControlRow& r =
            label("Label_Verbinding", "FrameEasyPort", "Niet verbonden", 2760, 510, 1815, 300);
        r.back = KleurLampUit;
        r.fore = KleurWit;
        r.flags = Bold | Centred;
    }
    {
        ControlRow& r =
            label("Label_VerbindingKader", "FrameEasyPort", QString(), 2670, 330, 2055, 690);
        r.back = KleurLampUit;
        r.flags = Behind;
        font(r, 8.25, QStringLiteral("MS Sans Serif"));
    }

    frame("Frame7", "FrameMain", " Noodstop ", 10185, 9015, 2535, 1815, KleurZilver, KleurMarine,
          9.75);
    {
        ControlRow& r =
            button("CMD_ResetAlles", "Frame7", QString(), 240, 360, 2055, 1245, KleurWit, 11.25);
        r.toolTip = QStringLiteral("RESET alle uitgangen.");
        r.picture = QStringLiteral(":/design/noodstop.svg");
    }

    frame("FrameModule", "FrameMain", "Dravik besturing met Easyport Mini.", 120, 120, 6975, 6375,
          k3DLight, 0, 12);
    button("CMD_Filmpje", "FrameModule", "Filmpje", 5160, 5295, 1455, 600, kNoColor, 8.25).flags =
        Hidden;
    add(row("Image_Module_Holder", Kind::Image, "FrameModule", QString(), 240, 375, 6495, 5655))
        .picture = QStringLiteral(":/design/interface.svg");

    frame("FrameInstructie", "FrameMain", "Instructie", 120, 6600, 6975, 2295, k3DLight, 0, 9.75);
    {
        ControlRow& r = add(row("PictureTekstKader", Kind::PictureBox, "FrameInstructie", QString(),
                                240, 360, 6495, 1815));
        r.back = KleurWit;
        font(r, 8.25);
    }
    {
        ControlRow& r = add(row("PictureTekst", Kind::PictureBox, "PictureTekstKader", QString(),
                                120, 0, 6255, 20235));
        r.back = KleurWit;
        r.fore = 4194304;
        font(r, 12);
    }
    add(row("TimerNVT", Kind::Timer, "FrameInstructie", QString(), 0, 0, 0, 0)).interval = 1000;
    // The ways to the side windows, in the instruction frame's caption row:
    // the only room that covers nothing and moves nothing.
    button("CMD_Stappenplan", "FrameInstructie", "Stappenplan…", 3120, 15, 1560, 330,
           KleurKnopGrijs, 8.25);
    button("CMD_VirtueleOpstelling", "FrameInstructie", "Virtuele opstelling…", 4770, 15, 1965, 330,
           KleurKnopGrijs, 8.25);

    frame("FrameUitgangen", "FrameMain", "Uitgangen", 12000, 120, 3615, 4335, KleurBlauw,
          KleurMarine, 12);
    frame("Frame8", "FrameUitgangen", QString(), 150, 360, 3375, 3885, KleurBlauw, kNoColor, 8.25)
        .flags = NoBorder;
    for (int i : {3, 4, 6, 7, 5, 2, 1, 0})
        button(QStringLiteral("CMD_SetReset(%1)").arg(i), "Frame8", QStringLiteral("Uitgang 1"), 0,
               480.0 * i, 2655, 420, KleurLila, 9.75);
    for (int i : {7, 6, 0, 5, 4, 3, 2, 1}) {
        ControlRow& s = add(row(QStringLiteral("Shape_Lampje(%1)").arg(i), Kind::Shape, "Frame8",
                                QString(), 2760, 480.0 * i, 495, 420));
        s.back = KleurLampUit;
        s.shapeBack = KleurKnopGrijs;
        s.flags = Rounded;
    }

    frame("Frame5", "FrameMain", " About ", 13020, 9030, 2730, 1815, KleurZilver, KleurMarine,
          9.75);
    add(row("Image1", Kind::Image, "Frame5", QString(), 285, 345, 2235, 1245)).picture =
        QStringLiteral(":/design/about.svg");

    frame("FrameSensorActuator", "FrameMain", "I/O Aansluitpaneel", 11550, 4695, 4215, 4230,
          k3DLight, 0, 12);
    add(row("Timer_Wissel_Afbeelding", Kind::Timer, "FrameSensorActuator", QString(), 0, 0, 0, 0))
        .interval = 5000;
    add(row("ImageSensorActuator", Kind::Image, "FrameSensorActuator", QString(), 255, 480, 3765,
            3570))
        .picture = QStringLiteral(":/design/io_panel.svg");

    frame("Frame2", "FrameMain", QString(), 7200, 0, 4455, 4575, KleurGroen, kNoColor, 8.25).flags =
        NoBorder | Behind;
    frame("Frame3", "FrameMain", QString(), 11760, 0, 3975, 4575, KleurBlauw, kNoColor, 8.25)
        .flags = NoBorder | Behind;
    {
        ControlRow& r =
            add(row("Shape1", Kind::Shape, "FrameMain", QString(), 0, 8940, 15960, 2010));
        r.back = 12632256;
        r.flags = Behind;
    }
    return t;
}

} // namespace

const std::vector<ControlRow>& mainControlTable()
{
    static const std::vector<ControlRow> table = build();
    return table;
}

} // namespace mw
