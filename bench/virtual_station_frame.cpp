#include "virtual_station_frame.h"

#include "interface_link/simulated_interface.h"
#include "simulation/station_runner.h"
#include "virtual_station/virtual_station_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

double measureVirtualStationFrameMs()
{
    iface::SimulatedInterface port;
    sim::StationRunner& simulated = *port.stationRunner();
    simulated.setStation(station::Station::TransHandling);
    port.SearchAndConnect();
    virt::VirtualStationWindow window(&simulated, port.stationLink());
    const QSize size(virt::VirtualStationWindow::DefaultWidth,
                     virt::VirtualStationWindow::DefaultHeight);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);

    simulated.placePart(true);
    // Belt on; carriage to the front (handling outputs are shifted by three).
    port.WriteOutputs(0x02 | 0x08);
    {
        QPainter warmUp(&image);
        window.paintScene(warmUp, size);
    }

    constexpr int Frames = 200;
    qint64 paintingNs = 0;
    QElapsedTimer clock;
    for (int i = 0; i < Frames; ++i) {
        // Let the station move on between frames.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!simulated.isRunning())
            port.WriteOutputs(i % 2 ? 0x02 | 0x08 : 0x02 | 0x10);
        clock.start();
        QPainter p(&image);
        window.paintScene(p, size);
        p.end();
        paintingNs += clock.nsecsElapsed();
    }
    port.Disconnect();
    return double(paintingNs) / Frames / 1e6;
}
