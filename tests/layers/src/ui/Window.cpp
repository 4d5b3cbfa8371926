#include <QLabel>
void ShowWindow() {
    QLabel label;
}
