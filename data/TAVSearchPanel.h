#pragma once

#include <QGroupBox>
#include <QPointer>
#include <QPushButton>

class TAVTableModel;

// The search panel beside a register: one input per search field the model
// declares (text, choice, status, or a choice of ready conditions), and
// "SZUKAJ" / "WYCZYŚĆ". It turns what was typed into a condition; the
// register adds its own base filter and applies it.
class TAVSearchPanel : public QGroupBox
{
    Q_OBJECT

public:
    TAVSearchPanel(TAVTableModel *model, QWidget *parent = nullptr);

    // Whether the model declares anything to search by.
    bool hasFields() const { return m_searchButton != nullptr; }
    QPushButton *searchButton() const { return m_searchButton; }
    QPushButton *clearButton() const { return m_clearButton; }
    // The conditions of what was typed or chosen, joined by AND; empty for none.
    QString conditions() const;
    bool hasTerms() const;
    void clearInputs();
    // The captions follow the model's headers (they may come late).
    void updateCaptions();

private:
    QList<QWidget *> inputs() const;

    TAVTableModel *m_model;
    QPointer<QPushButton> m_searchButton;
    QPointer<QPushButton> m_clearButton;
};
