#include "fixture.h"

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void opens()
    {
        auto form = fixture::openForm();
        QCOMPARE(rt::testing::widget(*form)->windowTitle(), QString::fromUtf8("Тевалин"));
    }
};

TEVALIN_TEST_MAIN(TestWindow)
#include "test_window.moc"
