// Saves a picture of the whole X screen: screengrab <file.png>, on the display of $DISPLAY.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
