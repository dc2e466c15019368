#pragma once

#include <QString>

class Main;

namespace mw
{

// Names and states a screen reader reads in the main window, kept current:
//  - the Noodstop button "Noodstop: alle uitgangen uit"; the other buttons
//    are named by their captions;
//  - each lamp by the output or input shown beside it ("Uitgang 3",
//    "Verplaatscilinder (uit)"), checked while it is lit;
//  - "Verbreek" by what it does (its tooltip is the one of "Zoek en
//    verbind");
//  - the station picture "Foto van <station>", the component picture by the
//    component in view, the about picture, the instruction text.
void installAccessibility(Main& main);

} // namespace mw
