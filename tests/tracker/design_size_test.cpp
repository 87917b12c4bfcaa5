// The tracker window at its design size inside the frame, after a tick has written prices and a
// large loss into its labels: every tab must still show each control whole and apart.
#include "tracker_window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>

namespace marlovex::tracker {
namespace {

class DesignSizeTest : public TrackerWindowTest {
protected:
    DesignSizeTest() {
        rememberCallOnDax();
        m_area.resize(1000, 800);
        m_area.show();
        m_window = createWindow();
        QMdiSubWindow* holder = m_area.addSubWindow(m_window.get());
        holder->show();
        holder->resize(380, 357);
        // An estimate of 0 for the underlying gives the calculator's longest differences.
        m_window->Timer1Timer();
        m_window->Edit2->setText("0");
    }

    // Lays out and shows one tab, then collects its visible labels and inputs.
    QList<QWidget*> controlsOn(QWidget* tab) {
        m_window->PageControl1->setCurrentWidget(tab);
        m_area.grab();
        QList<QWidget*> controls;
        for (QWidget* child : tab->findChildren<QWidget*>()) {
            if (child->isVisible() && (qobject_cast<QLabel*>(child) || qobject_cast<QLineEdit*>(child))) {
                controls << child;
            }
        }
        return controls;
    }

    static QRect onTab(const QWidget* control, const QWidget* tab) {
        return QRect(control->mapTo(tab, QPoint(0, 0)), control->size());
    }

    // Destroyed after the window, which the area's sub-window holds while both live.
    QMdiArea m_area;
    std::unique_ptr<TOSP_Form> m_window;
};

TEST_F(DesignSizeTest, NoLabelIsCutNoControlCoversAnotherAndTheAlarmColumnsKeepTheirCaptions) {
    for (QWidget* tab : {m_window->TabSheet3, m_window->TabSheet4, m_window->TabSheet5}) {
        const QList<QWidget*> controls = controlsOn(tab);
        ASSERT_FALSE(controls.isEmpty());
        for (QWidget* control : controls) {
            const auto* label = qobject_cast<QLabel*>(control);
            if (label == nullptr) {
                continue;
            }
            const std::string name = (label->objectName() + QLatin1Char(' ') + label->text()).toStdString();
            if (label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name;
            } else {
                EXPECT_GE(label->width(), label->sizeHint().width()) << name;
            }
        }
        for (int i = 0; i < controls.size(); ++i) {
            for (int j = i + 1; j < controls.size(); ++j) {
                EXPECT_FALSE(onTab(controls[i], tab).intersects(onTab(controls[j], tab)))
                    << controls[i]->objectName().toStdString() << " / "
                    << controls[j]->objectName().toStdString();
            }
        }
    }

    // The alarm columns keep their captions once the prices are in.
    const QList<QWidget*> controls = controlsOn(m_window->TabSheet4);
    ASSERT_EQ(m_window->Label35->text(), "09:06:00");
    ASSERT_EQ(m_window->Label34->text(), "1,60");
    QStringList captions;
    for (const QWidget* control : controls) {
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            captions << label->text();
        }
    }
    for (const char* caption : {"Zeit", "Kurs", "Alarm fällt", "Alarm steigt"}) {
        EXPECT_TRUE(captions.contains(QString::fromUtf8(caption))) << caption;
    }
    // Each caption stands above its column.
    const auto column = [&](const char* name) {
        const auto* caption = m_window->findChild<QLabel*>(QString::fromLatin1(name));
        return caption != nullptr ? caption->geometry() : QRect();
    };
    EXPECT_EQ(column("timeCaption").left(), m_window->Label35->geometry().left());
    EXPECT_LT(column("priceCaption").bottom(), m_window->Label34->geometry().top());
}

} // namespace
} // namespace marlovex::tracker
