#include "Factories.h"
#include "LogReader.h"
#include "Session.h"
#include "TAVDataWidget.h"
#include "TAVDialog.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlRelation>
#include <QSqlRelationalTableModel>
#include <QTimeEdit>

#include <memory>

// A location form whose warehouse is a combo over the warehouses' symbols.
class LokalizacjaZMagazynemDialog : public TAVDialog
{
    Q_OBJECT
public:
    LokalizacjaZMagazynemDialog(TAVTableModel *model, const QModelIndex &index)
        : TAVDialog(model, index)
    {
        nazwa = new QLineEdit(this);
        magazyn = new QComboBox(this);
        magazyn->addItem(QString());
        auto *label = new QLabel(QStringLiteral("<b>Nazwa*</b>"), this);
        label->setObjectName(QStringLiteral("la_lkl_nazwa"));
        label->setBuddy(nazwa);
        bind(nazwa, QStringLiteral("LKL_NAZWA"));
        bind(magazyn, QStringLiteral("lkl_fk_mgz"));
        dataWidget()->setCurrentModelIndex(index);
    }
    QLineEdit *nazwa;
    QComboBox *magazyn;
};

class TstRecordEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogReader> m_log;

    static std::unique_ptr<TAVTableModel> lokalizacje(bool withRelation)
    {
        std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QStringLiteral("LokalizacjeModel"), QString()));
        if (withRelation)
            m->sqlModel()->setRelation(m->fieldIndex(QStringLiteral("lkl_fk_mgz")),
                                       QSqlRelation(QStringLiteral("magazyny"), QStringLiteral("mgz_id"),
                                                    QStringLiteral("mgz_symbol")));
        m->select();
        return m;
    }

    static QModelIndex rowOf(TAVTableModel *m, int key)
    {
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->record(r).value(0).toInt() == key)
                return m->sqlModel()->index(r, 0);
        }
        return QModelIndex();
    }

    static QStringList setFields(const QSqlRecord &rec)
    {
        QStringList out;
        for (int i = 0; i < rec.count(); ++i) {
            if (rec.value(i).isValid())
                out << rec.fieldName(i);
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_log = std::make_unique<LogReader>(QStringLiteral("tst_recordeditor.log"));
        QVERIFY(Session::start());
    }

    void propertiesByWidgetKind()
    {
        auto m = lokalizacje(false);
        TAVDataWidget w(m.get());
        QDateEdit date;
        QTimeEdit time;
        QDateTimeEdit stamp;
        QCheckBox check;
        QPlainTextEdit text;
        m_log->mark();
        w.addMapping(&date, QStringLiteral("stworzono"));
        w.addMapping(&time, QStringLiteral("zmodyfikowano"));
        w.addMapping(&check, QStringLiteral("systemowy"));
        w.addMapping(&text, QStringLiteral("lkl_nazwa"));
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("TAVDataWidget::addMapping( QWidget* _widget, int _fieldIndex )")));
        w.setCurrentModelIndex(rowOf(m.get(), 7));
        QCOMPARE(text.toPlainText(), QStringLiteral("Kontener narzędziowy"));
        QCOMPARE(date.date(), m->record(rowOf(m.get(), 7).row()).value(QStringLiteral("stworzono")).toDateTime().date());

        // A changed date comes back as a date, not as a stamp.
        date.setDate(QDate(2030, 1, 2));
        const QSqlRecord rec = w.getRecord();
        QCOMPARE(rec.value(QStringLiteral("stworzono")).metaType().id(), int(QMetaType::QDate));
        QCOMPARE(rec.value(QStringLiteral("stworzono")).toDate(), QDate(2030, 1, 2));
        QVERIFY(w.isChanged(QStringLiteral("stworzono")));
        QVERIFY(!w.isChanged(QStringLiteral("lkl_nazwa")));
        QVERIFY(!rec.value(QStringLiteral("lkl_nazwa")).isValid());

        // Rebinding a widget replaces its mapping; a destroyed one is skipped.
        w.addMapping(&stamp, QStringLiteral("stworzono"));
        w.removeMapping(&date);
        QVERIFY(w.hasMapping(QStringLiteral("stworzono")));
        {
            QLineEdit gone;
            w.addMapping(&gone, QStringLiteral("lkl_fk_mgz"));
            QVERIFY(w.hasMapping(QStringLiteral("lkl_fk_mgz")));
        }
        QVERIFY(!w.hasMapping(QStringLiteral("lkl_fk_mgz")));
        w.getRecord();
        // Unknown fields are not bound.
        QLineEdit stray;
        w.addMapping(&stray, QStringLiteral("nie_ma_takiej"));
        QVERIFY(!w.hasMapping(QStringLiteral("nie_ma_takiej")));
    }

    void unchangedEditWritesNothing()
    {
        auto m = lokalizacje(false);
        const QModelIndex idx = rowOf(m.get(), 8);
        LokalizacjaZMagazynemDialog d(m.get(), idx);
        QCOMPARE(d.nazwa->text(), QStringLiteral("Wiata sprzętowa"));
        const QSqlRecord rec = d.getRecord();
        QCOMPARE(setFields(rec), QStringList());
        const QString before = TestDb::scalar(QStringLiteral("SELECT zmodyfikowano::text FROM lokalizacje WHERE lkl_id = 8")).toString();
        QVERIFY(!m->update(rec, idx));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT zmodyfikowano::text FROM lokalizacje WHERE lkl_id = 8")).toString(), before);

        // One change, one field.
        d.nazwa->setText(QStringLiteral("Wiata"));
        QCOMPARE(setFields(d.getRecord()), QStringList{QStringLiteral("lkl_nazwa")});
        QVERIFY(d.validateModel());
    }

    void relationCombos()
    {
        auto m = lokalizacje(true);
        m_log->mark();
        LokalizacjaZMagazynemDialog d(m.get(), rowOf(m.get(), 9));
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("   selectQuery: \"SELECT mgz_id, mgz_symbol FROM magazyny\"")));
        // The form's own empty item first, then the server's rows.
        QCOMPARE(d.magazyn->count(), 5);
        QCOMPARE(d.magazyn->itemText(0), QString());
        QCOMPARE(d.magazyn->currentText(), QStringLiteral("MG_BUDOWA2"));
        // The key of a relation combo is always written.
        QSqlRecord rec = d.getRecord();
        QCOMPARE(setFields(rec), QStringList{QStringLiteral("lkl_fk_mgz")});
        QCOMPARE(rec.value(QStringLiteral("lkl_fk_mgz")).toInt(), 3);
        d.magazyn->setCurrentIndex(d.magazyn->findText(QStringLiteral("MG_GLOWNY")));
        QCOMPARE(d.getRecord().value(QStringLiteral("lkl_fk_mgz")).toInt(), 1);

        // A value equal to the first item's text selects nothing new.
        QComboBox combo;
        combo.addItem(QStringLiteral("MG_BUDOWA2"));
        combo.addItem(QStringLiteral("inny"));
        combo.setCurrentIndex(1);
        TAVDataWidget w(m.get());
        w.addMapping(&combo, QStringLiteral("lkl_fk_mgz"));
        w.setCurrentIndex(rowOf(m.get(), 9).row());
        QCOMPARE(combo.currentText(), QStringLiteral("inny"));
    }

    void requiredFieldCaption()
    {
        auto m = lokalizacje(false);
        LokalizacjaZMagazynemDialog d(m.get(), rowOf(m.get(), 8));
        d.setShowMessages(false);
        d.nazwa->setText(QString());
        QVERIFY(!d.validateModel());
        QCOMPARE(d.validator()->message(), QStringLiteral("Pole <b>Nazwa</b> nie może być puste"));
        QCOMPARE(d.focusWidget(), d.nazwa);
        // The dialog does not close on OK while a check fails.
        d.show();
        d.accept();
        QVERIFY(d.isVisible());
        d.nazwa->setText(QStringLiteral("Wiata nowa"));
        d.accept();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }
};

ORV_TEST_MAIN(TstRecordEditor)
#include "tst_recordeditor.moc"
