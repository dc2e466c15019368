#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class Beschrijving;
class Full_Screen;
class QWidget;

namespace ctl
{
class Image;
}

namespace platform
{
class Ending;
}

namespace station
{
class StationState;
}

// The station's numbered picture over the whole screen and the description
// window beside it: opened by a click on the station picture of a single
// station, made on first use, and kept in step with each other.
class StationPictures : public QObject
{
    Q_OBJECT

  public:
    // `stationPicture` is Image_Module_Holder; both windows belong to
    // `mainWindow`. Both read `ending`: whether the program is being left.
    StationPictures(ctl::Image* stationPicture, QWidget* mainWindow,
                    const station::StationState& state,
                    std::shared_ptr<const platform::Ending> ending, QObject* parent = nullptr);

    // The windows, made on first use when `create` is true (otherwise
    // nullptr until then).
    Full_Screen* fullScreen(bool create = true);
    Beschrijving* beschrijving(bool create = true);

  private:
    void pictureClicked();

    QWidget* m_mainWindow;
    const station::StationState& m_state;
    std::shared_ptr<const platform::Ending> m_ending;
    QPointer<Full_Screen> m_fullScreen;
    QPointer<Beschrijving> m_beschrijving;
};
