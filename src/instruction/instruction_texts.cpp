#include "instruction/instruction_texts.h"

#include <algorithm>

namespace instr
{

namespace
{

const QString kLeesVerder = QStringLiteral("Lees verder in je boek.");
const QString kOndertitel = QStringLiteral("Automatiseren voor het VMBO.");

// Page 1 of every station: heading and subtitle.
std::vector<TextRow> titlePage(const QString& heading, int headingIndent)
{
    return {
        {1, Place::At, 150, Style::Heading, headingIndent, heading},
        {1, Place::Below, 600, Style::Body, 25, kOndertitel},
    };
}

// The closing page: a heading and the pointer to the book.
void appendClosingPage(std::vector<TextRow>& rows, int page, const QString& heading)
{
    rows.push_back(
        {page, Place::At, (page - 1) * kPageStep + kTextStart, Style::Heading, 5, heading});
    rows.push_back({page, Place::Below, 600, Style::Red, 35, kLeesVerder});
}

TextRow body(int page, Place place, double twips, const char* text)
{
    return {page, place, twips, Style::Body, 0, QString::fromUtf8(text)};
}

std::vector<TextRow> stapelMagazijn()
{
    std::vector<TextRow> rows = titlePage(QStringLiteral("Stapel magazijn."), 5);
    rows.push_back(body(2, Place::At, 1905, "Op het stapelmagazijn zitten 2 verschillende"));
    rows.push_back(body(2, Place::Next, 0, "cilinders. Dat zijn een"));
    rows.push_back(body(2, Place::Below, 120, "- enkelwerkende cilinder en een"));
    rows.push_back(body(2, Place::Next, 0, "- dubbelwerkende cilinder."));
    rows.push_back(body(3, Place::At, 3720, "Deze cilinders worden door 2 verschillende"));
    rows.push_back(body(3, Place::Next, 0, "ventielen gestuurd. Dat zijn een..."));
    rows.push_back(body(3, Place::Below, 120, "- monostabiel 4/2 ventiel en een"));
    rows.push_back(body(3, Place::Next, 0, "- bistabiel 4/2 ventiel."));
    appendClosingPage(rows, 4, QStringLiteral("Stapelmagazijn."));
    return rows;
}

std::vector<TextRow> transportband()
{
    std::vector<TextRow> rows = titlePage(QStringLiteral("Transportband."), 5);
    rows.push_back(body(2, Place::At, 1905, "De transportband werkt zonder perslucht."));
    rows.push_back(body(2, Place::Below, 120, "Er kunnen onderdelen mee verplaatst en gesorteerd"));
    rows.push_back(body(2, Place::Next, 0, "worden."));
    rows.push_back(body(2, Place::Next, 0, "Verchroomde bakjes worden herkend."));
    appendClosingPage(rows, 3, QStringLiteral("Transportband."));
    return rows;
}

std::vector<TextRow> stationhandling()
{
    std::vector<TextRow> rows = titlePage(QStringLiteral("Station handling."), 5);
    rows.push_back(
        body(2, Place::At, 1905, "Op het station handling zitten 2 bijzondere cilinders."));
    rows.push_back(body(2, Place::Below, 120, "Van gewone cilinders kan de zuigerstang draaien."));
    rows.push_back(
        body(2, Place::Below, 120, "De verticale cilinder zou dan zomaar scheef kunnen"));
    rows.push_back(body(2, Place::Next, 0, "komen te staan."));
    rows.push_back(body(3, Place::At, 3720, "Je ziet meteen dat ze niet rond maar vierkant zijn."));
    rows.push_back(
        body(3, Place::Below, 120, "Wanneer een cilinder uitgeschoven is kun je zien dat"));
    rows.push_back(body(3, Place::Next, 0, "er 2 geleidestangen gemonteerd zijn."));
    rows.push_back(
        body(3, Place::Below, 120, "Die voorkomen dus dat de zuigerstang kan verdraaien."));
    appendClosingPage(rows, 4, QStringLiteral("Station handling."));
    return rows;
}

std::vector<TextRow> transHandling()
{
    return titlePage(QStringLiteral("Transportband en station handling."), 2);
}

std::vector<TextRow> interfacing()
{
    // The interface's first page carries its heading alone.
    std::vector<TextRow> rows = {
        {1, Place::At, 150, Style::Heading, 5, QStringLiteral("Dravik station besturing.")}};
    rows.push_back(body(2, Place::At, 1905, "Hierboven staat de Easyport mini."));
    rows.push_back(
        body(2, Place::Below, 120, "Het is een apparaat dat elektrische signalen van en"));
    rows.push_back(body(2, Place::Next, 0, "naar de computer kan sturen."));
    rows.push_back(body(2, Place::Below, 120, "We noemen dat een INTERFACE."));
    rows.push_back(body(3, Place::At, 3720, "De interface zorgt er voor dat je met dit programma"));
    rows.push_back(body(3, Place::Next, 0, "de verschillende stations kunt aansturen."));
    rows.push_back(body(3, Place::Below, 120, "zo kun je op een eenvoudige manier ontdekken"));
    rows.push_back(body(3, Place::Next, 0, "hoe de Dravik stations werken."));
    // The interface text closes with the handling station's heading.
    appendClosingPage(rows, 4, QStringLiteral("Station handling."));
    return rows;
}

} // namespace

double fontSize(Style s)
{
    return s == Style::Heading ? kHeadingSize : kBodySize;
}

ctl::OleColor color(Style s)
{
    switch (s) {
    case Style::Heading:
        return KleurKop;
    case Style::Red:
        return KleurRood;
    case Style::Body:
        break;
    }
    return KleurTekst;
}

const std::vector<TextRow>& instructionRows(Station s)
{
    static const std::vector<TextRow> stapel = stapelMagazijn();
    static const std::vector<TextRow> transport = transportband();
    static const std::vector<TextRow> handling = stationhandling();
    static const std::vector<TextRow> samen = transHandling();
    static const std::vector<TextRow> easyport = interfacing();
    switch (s) {
    case Station::StapelMagazijn:
        return stapel;
    case Station::Transportband:
        return transport;
    case Station::Stationhandling:
        return handling;
    case Station::TransHandling:
        return samen;
    case Station::Start:
    case Station::Interface:
        break;
    }
    return easyport;
}

double rowLeft(int indent, double columnWidth, double textWidth, double surfaceWidth)
{
    return std::max(0.0, std::min(indent * columnWidth, surfaceWidth - textWidth));
}

double pageTop(int page)
{
    return -(page - 1) * kPageStep;
}

} // namespace instr
