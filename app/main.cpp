#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Korvane Quorvel"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quorvel"));
    window.resize(1280, 800);
    window.show();
    return QApplication::exec();
}
