#include "fullscreen/station_pictures.h"

#include "controls/controls.h"
#include "description/beschrijving.h"
#include "description/description_tables.h"
#include "fullscreen/full_screen.h"
#include "platform/ending.h"
#include "station/station_state.h"

StationPictures::StationPictures(ctl::Image* stationPicture, QWidget* mainWindow,
                                 const station::StationState& state,
                                 std::shared_ptr<const platform::Ending> ending, QObject* parent)
    : QObject(parent), m_mainWindow(mainWindow), m_state(state), m_ending(std::move(ending))
{
    connect(stationPicture, &ctl::Image::Click, this, &StationPictures::pictureClicked);
}

void StationPictures::pictureClicked()
{
    // Only the single stations have a numbered picture.
    if (!desc::isDescribed(m_state.current()))
        return;
    fullScreen()->open();
}

Full_Screen* StationPictures::fullScreen(bool create)
{
    if (!m_fullScreen && create) {
        m_fullScreen = new Full_Screen(m_mainWindow, m_state, m_ending);
        connect(m_fullScreen, &Full_Screen::descriptionWanted, this,
                [this] { beschrijving()->open(); });
        connect(m_fullScreen, &Full_Screen::closedWhileDescribing, this, [this] {
            if (m_beschrijving)
                m_beschrijving->closeAll();
        });
        connect(m_fullScreen, &Full_Screen::closeRequested, this, [this] {
            if (m_beschrijving && m_beschrijving->isVisible())
                m_beschrijving->closeAll();
            else if (m_fullScreen)
                m_fullScreen->close();
        });
        m_fullScreen->setDescriptionWindow(m_beschrijving);
        if (m_beschrijving)
            m_beschrijving->setPictureWindow(m_fullScreen);
    }
    return m_fullScreen;
}

Beschrijving* StationPictures::beschrijving(bool create)
{
    if (!m_beschrijving && create) {
        m_beschrijving = new Beschrijving(m_mainWindow, m_state, m_ending);
        connect(
            m_beschrijving, &Beschrijving::partPictureChosen, this,
            [this](const QString& path) { fullScreen()->Image_Show_Fullscreen->setPicture(path); });
        m_beschrijving->setPictureWindow(m_fullScreen);
        if (m_fullScreen)
            m_fullScreen->setDescriptionWindow(m_beschrijving);
    }
    return m_beschrijving;
}
