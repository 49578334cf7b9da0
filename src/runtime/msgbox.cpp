#include "services.h"

#include <QApplication>
#include <QMessageBox>

namespace rt {

namespace {

QString toQString(const String& s)
{
    return QString::fromUtf16(s.str().data(), static_cast<qsizetype>(s.length()));
}

QMessageBox::Icon iconFor(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsFor(int style)
{
    switch (style & 0x7) {
    case vbOKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case vbYesNo:
        return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}

Integer resultOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return vbCancel;
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    }
    return vbOK;
}

} // namespace

Integer MsgBox(const String& prompt, Integer buttons, const String& title)
{
    const int style = buttons.value();
    QMessageBox box(iconFor(style), toQString(title), toQString(prompt), buttonsFor(style),
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    return resultOf(box.exec());
}

} // namespace rt
