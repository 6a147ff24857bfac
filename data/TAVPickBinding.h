#pragma once

#include <QObject>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>

class TAVDialog;
class TAVListaWyboru;
class TAVListaWyboruCommand;
class ValidationMessages;

// A pick field of a dialog bound to a column through its register's pick
// list (TAVDialog::bindPick): the key goes into the record, the caption is
// read the way the list shows it, a click opens the list. The setters chain.
class TAVPickBinding : public QObject
{
    Q_OBJECT

public:
    // The column and key a list starts from; the chosen row's caption and
    // key come back in it.
    using Pair = QPair<QString, int>;
    using Prepare = std::function<bool(TAVListaWyboruCommand &list, Pair &start)>;

    TAVPickBinding(TAVDialog *dialog, TAVListaWyboru *field, const QString &column, TAVListaWyboruCommand *list,
                   const QString &caption);

    TAVPickBinding &title(const QString &title);
    TAVPickBinding &parameter(const QString &name, const QVariant &value);
    // Run at each click: what depends on the rest of the form (title,
    // parameters, where the list starts); false leaves the list closed.
    TAVPickBinding &prepare(Prepare prepare);
    // A chosen row the form cannot take: false opens the list again.
    TAVPickBinding &accept(std::function<bool(const Pair &chosen)> accept);
    TAVPickBinding &onChosen(std::function<void()> reaction);
    TAVPickBinding &onCleared(std::function<void()> reaction);
    // Never reported empty: the field follows another one.
    TAVPickBinding &optional();

    QString column() const { return m_column; }
    int key() const;
    // Whether the binding reports the field empty itself, under its
    // caption, instead of the catalogue under the field's label.
    bool checksItself() const { return m_optional || !m_caption.isEmpty(); }
    // "Pozycja <b>caption</b> nie może być pusta." when nothing is chosen.
    void check(ValidationMessages &messages) const;

public Q_SLOTS:
    // Opens the list as a click on the field does; true when another row
    // was chosen.
    bool choose();

private:
    TAVDialog *m_dialog;
    TAVListaWyboru *m_field;
    QString m_column;
    TAVListaWyboruCommand *m_list;
    QString m_caption;
    bool m_optional = false;
    Prepare m_prepare;
    std::function<bool(const Pair &)> m_accept;
    std::function<void()> m_chosen;
    std::function<void()> m_cleared;
};
