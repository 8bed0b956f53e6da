// The rows the "Lookup" dialog shows: the choice they are of, and the pick
// to select again when a refill replaces them. A pick belongs to the rows
// it was made in: rows of the same choice (the walk's first batch, its
// completion, the same choice walked again) keep it; rows of another
// choice end it. It knows no window: the dialog tells it what happened to
// the list, and a test can do the same.
#ifndef SHOWN_ROWS_H
#define SHOWN_ROWS_H

#include "store_query.h"

class CShownRows {
  public:
    struct SPick {
        CStringArray names;
        CString focused;
    };

    // Attributes
    const SLookupChoice& GetChoice() const { return m_choice; }
    // The selection must be read before a refill: the user changed it.
    bool IsPicking() const { return m_bPicked; }
    // The pick to select again in the rows shown; null when there is none
    // or the user has selected anew since the refill.
    const SPick* GetPickToKeep() const;

    // Events
    void Selected() { m_bPicked = true; }
    // The controls now name choice: a pick made in rows of another ends.
    void Changed(const SLookupChoice& choice);
    // Rows of choice replace those shown, of which selected were selected
    // (read only when IsPicking) and focused had the focus.
    void Replace(const SLookupChoice& choice, const CStringArray& selected, const CString& focused);

  private:
    SLookupChoice m_choice;
    bool m_bPicked = false; // since the last refill
    SPick m_pick;
};

// Rows of the one choice hold the same items: the device, area, type and
// pattern match exactly (areas that differ only in case are two), and a
// name the code page cannot hold is none.
bool SameChoice(const SLookupChoice& a, const SLookupChoice& b);

#endif
