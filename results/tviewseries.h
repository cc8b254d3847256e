#pragma once

// One series of a stored exercise's layout: how many shots it holds and where
// it starts in a place's shots. The layout is fixed once the list is loaded,
// so the first index is worked out when the series is made.
class TViewSeries
{
public:
    // previous: the series before this one (not owned), null for the first.
    TViewSeries(int size, const TViewSeries *previous)
        : m_previous(previous), m_size(size),
          m_number(previous ? previous->number() + 1 : 1),
          m_firstIndex(previous ? previous->firstIndex() + previous->size() : 0)
    {
    }

    const TViewSeries *previous() const { return m_previous; }
    int size() const { return m_size; }
    int number() const { return m_number; }
    // Index (from 0) of the series' first shot among a place's shots.
    int firstIndex() const { return m_firstIndex; }

private:
    const TViewSeries *m_previous = nullptr;
    int m_size = 0;
    int m_number = 1;
    int m_firstIndex = 0;
};
