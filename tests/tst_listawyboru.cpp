#include "TAVListaWyboru.h"
#include "TestMain.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>

#include <memory>

class TstListaWyboru : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TAVListaWyboru> m_field;

    QLineEdit *line() const { return m_field->findChild<QLineEdit *>(QStringLiteral("leText")); }
    QToolButton *clearButton() const { return m_field->findChild<QToolButton *>(QStringLiteral("tbClear")); }
    QToolButton *findButton() const { return m_field->findChild<QToolButton *>(QStringLiteral("tbFind")); }

    void fill(const QString &caption, const QVariant &key)
    {
        m_field->setText(caption);
        m_field->setData(key);
    }

private Q_SLOTS:
    void init()
    {
        m_field = std::make_unique<TAVListaWyboru>();
        m_field->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_field.get()));
    }

    void cleanup() { m_field.reset(); }

    void partsAreLaidOutLineClearFind()
    {
        QVERIFY(line());
        QVERIFY(clearButton());
        QVERIFY(findButton());

        auto *layout = qobject_cast<QHBoxLayout *>(m_field->layout());
        QVERIFY(layout);
        QCOMPARE(layout->count(), 3);
        QCOMPARE(layout->itemAt(0)->widget(), line());
        QCOMPARE(layout->itemAt(1)->widget(), clearButton());
        QCOMPARE(layout->itemAt(2)->widget(), findButton());
        QVERIFY(line()->geometry().right() < clearButton()->geometry().left());
        QVERIFY(clearButton()->geometry().right() < findButton()->geometry().left());

        QCOMPARE(clearButton()->text(), QStringLiteral("X"));
        QCOMPARE(findButton()->text(), QStringLiteral("S"));
        QVERIFY(!clearButton()->icon().isNull());
        QVERIFY(!findButton()->icon().isNull());
        QVERIFY(!findButton()->isCheckable());
    }

    void freshFieldIsEmpty()
    {
        QVERIFY(m_field->text().isEmpty());
        QVERIFY(!m_field->data().isValid());
    }

    void lineTakesNoTypedInput()
    {
        QVERIFY(!line()->isEnabled());
        QTest::keyClicks(line(), QStringLiteral("mlotek"));
        QVERIFY(line()->text().isEmpty());
        QVERIFY(m_field->text().isEmpty());
    }

    void bothClickedSignaturesExist()
    {
        const QMetaObject *mo = m_field->metaObject();
        QVERIFY(mo->indexOfSignal("clicked(bool)") >= 0);
        QVERIFY(mo->indexOfSignal("clicked()") >= 0);
        QVERIFY(mo->indexOfSignal("clicked(bool)") < mo->indexOfSignal("clickedClear()"));
        QVERIFY(mo->indexOfSignal("clickedClear()") < mo->indexOfSignal("textChanged(QString)"));
        QVERIFY(mo->indexOfSignal("textChanged(QString)") < mo->indexOfSignal("dataChanged(QVariant)"));
    }

    void findButtonAsksForTheList()
    {
        QSignalSpy clicked(m_field.get(), qOverload<bool>(&TAVListaWyboru::clicked));
        QSignalSpy cleared(m_field.get(), &TAVListaWyboru::clickedClear);
        QTest::mouseClick(findButton(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.first().first().toBool(), false);
        QCOMPARE(cleared.count(), 0);

        // Asking for the list does not touch the current choice.
        fill(QStringLiteral("Magazyn główny"), 3);
        QTest::mouseClick(findButton(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(m_field->text(), QStringLiteral("Magazyn główny"));
        QCOMPARE(m_field->data(), QVariant(3));
    }

    void clearingAFilledFieldEmptiesIt()
    {
        fill(QStringLiteral("Regał A-1"), 17);
        QCOMPARE(m_field->text(), QStringLiteral("Regał A-1"));
        QCOMPARE(m_field->data(), QVariant(17));

        QSignalSpy cleared(m_field.get(), &TAVListaWyboru::clickedClear);
        QTest::mouseClick(clearButton(), Qt::LeftButton);
        QCOMPARE(cleared.count(), 1);
        QVERIFY(m_field->text().isEmpty());
        QVERIFY(line()->text().isEmpty());
        QVERIFY(!m_field->data().isValid());

        // Nothing is left to clear the second time.
        QTest::mouseClick(clearButton(), Qt::LeftButton);
        QCOMPARE(cleared.count(), 1);

        // The field can be filled again after clearing.
        fill(QStringLiteral("Regał B-2"), 18);
        QTest::mouseClick(clearButton(), Qt::LeftButton);
        QCOMPARE(cleared.count(), 2);
        QVERIFY(!m_field->data().isValid());
    }

    void clearNeedsBothCaptionAndKey()
    {
        QSignalSpy cleared(m_field.get(), &TAVListaWyboru::clickedClear);

        // Never filled.
        QTest::mouseClick(clearButton(), Qt::LeftButton);
        m_field->clear();
        QCOMPARE(cleared.count(), 0);
        QVERIFY(m_field->text().isEmpty());
        QVERIFY(!m_field->data().isValid());

        // A key without a caption stays.
        m_field->setData(5);
        QTest::mouseClick(clearButton(), Qt::LeftButton);
        QCOMPARE(cleared.count(), 0);
        QCOMPARE(m_field->data(), QVariant(5));

        // A caption without a key stays.
        TAVListaWyboru other;
        QSignalSpy otherCleared(&other, &TAVListaWyboru::clickedClear);
        other.setText(QStringLiteral("Szafa 3"));
        other.clear();
        QCOMPARE(otherCleared.count(), 0);
        QCOMPARE(other.text(), QStringLiteral("Szafa 3"));
    }

    void settingTheSameValueAgainChangesNothing()
    {
        QSignalSpy lineChanged(line(), &QLineEdit::textChanged);
        m_field->setText(QStringLiteral("Półka 4"));
        QCOMPARE(lineChanged.count(), 1);
        m_field->setText(QStringLiteral("Półka 4"));
        QCOMPARE(lineChanged.count(), 1);
        QCOMPARE(m_field->text(), QStringLiteral("Półka 4"));

        m_field->setData(QStringLiteral("P4"));
        m_field->setData(QStringLiteral("P4"));
        QCOMPARE(m_field->data(), QVariant(QStringLiteral("P4")));

        m_field->setText(QStringLiteral("Półka 5"));
        m_field->setData(QStringLiteral("P5"));
        QCOMPARE(lineChanged.count(), 2);
        QCOMPARE(m_field->text(), QStringLiteral("Półka 5"));
        QCOMPARE(m_field->data(), QVariant(QStringLiteral("P5")));
    }

    void ownerSignalsAreNotRaisedByTheField()
    {
        QSignalSpy textChanged(m_field.get(), &TAVListaWyboru::textChanged);
        QSignalSpy dataChanged(m_field.get(), &TAVListaWyboru::dataChanged);
        fill(QStringLiteral("Wiertarka"), 42);
        fill(QStringLiteral("Szlifierka"), 43);
        QTest::mouseClick(clearButton(), Qt::LeftButton);
        QTest::mouseClick(findButton(), Qt::LeftButton);
        QVERIFY(!m_field->data().isValid());
        QCOMPARE(textChanged.count(), 0);
        QCOMPARE(dataChanged.count(), 0);
    }
};

ORV_TEST_MAIN(TstListaWyboru)
#include "tst_listawyboru.moc"
