#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>

class TCountry;

// The countries of the country list file, with their flags, in file order.
class CounrtyList : public QObject
{
    Q_OBJECT

public:
    CounrtyList() = default;
    ~CounrtyList() override;

    // Replaces the list by the countries of folder/fileName; a missing,
    // unreadable or malformed file leaves it empty.
    bool load(const QString &folder, const QString &fileName);
    void clear();

    int count() const { return m_countries.size(); }
    TCountry *at(int index) const;
    TCountry *countryByID(int id) const;
    int indexOfID(int id) const;
    TCountry *nextCountry(const TCountry *country) const;

    void setCurrentIndex(int index);
    void setCurrentID(int id);
    void clearCurrent();
    TCountry *current() const;

    QImage loadFlag(const QString &fileName) const;
    QPixmap loadIcon(const QString &fileName) const;

private:
    QList<TCountry *> m_countries; // owned; deleted by clear()
    QString m_folder;
    int m_currentIndex = -1;
    int m_currentID = -1;
};
