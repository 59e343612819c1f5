// The "Copy to clipboard" dialog shown when the whole grid is copied: it
// asks whether the row titles and the column titles go with the values.
#pragma once

#include <QDialog>

class QCheckBox;

class TCopyForm : public QDialog {
    Q_OBJECT

public:
    explicit TCopyForm(QWidget* parent = nullptr);

    bool includeRowTitles() const;
    bool includeColumnTitles() const;

    QCheckBox* rowTitlesBox() const { return m_rowTitles; }
    QCheckBox* columnTitlesBox() const { return m_columnTitles; }

private:
    QCheckBox* m_rowTitles = nullptr;
    QCheckBox* m_columnTitles = nullptr;
};
