#pragma once

#include <QAbstractTableModel>
#include <QList>

class TMembersPractice;
class TShooter;

// The shooters taken into a practice with the found state of their targets,
// as a read-only table (name, target, target).
class TRelayPractice : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role { ShooterFoundRole = 269 };

    // roster: not owned.
    explicit TRelayPractice(TMembersPractice *roster, QObject *parent = nullptr);

    // The roster's used shooters in roster order.
    void fillFromRoster();
    void clear();
    void resetFound();

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QHash<int, QByteArray> roleNames() const override;

public slots:
    // The first roster shooter on target ta is marked found or not.
    void SetEMUFound(int ta, bool found);

private:
    static constexpr int kColumns = 3;

    void dropShooter(const TShooter *shooter);

    TMembersPractice *m_roster = nullptr;
    QList<TShooter *> m_shooters; // the roster's records, not owned
};
