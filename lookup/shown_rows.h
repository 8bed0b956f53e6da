// The rows the "Lookup" dialog shows, as far as OK is concerned: the choice
// they are of, and what the user selected since the refresh began, when a
// refill replaced the rows it was made in. It knows no window: the dialog
// tells it what happened to the list, and a test can do the same.
#ifndef SHOWN_ROWS_H
#define SHOWN_ROWS_H

#include "store_query.h"

class CShownRows {
  public:
    struct SPick {
        CStringArray names;
        SLookupChoice choice; // of the rows it was made in
        CString focused;
    };

    // Attributes
    bool IsShown() const { return m_bShown; }
    const SLookupChoice& GetChoice() const { return m_choice; }
    // The selection must be read before a refill: the user changed it.
    bool IsPicking() const { return m_bPicked; }
    // The pick to select again in the rows shown; null when they are of
    // another device, area or type (rows of the same name are other
    // items), or the user has selected anew since.
    const SPick* GetPickToKeep() const;
    // What OK confirms: the rows selected, of the choice shown; when none
    // is, what the user last selected, with the choice of its rows.
    CStringArray GetConfirmed(const CStringArray& selected, SLookupChoice& choice) const;

    // Events
    // A refresh reads the choice: what the user selects from now on is its
    // pick.
    void RefreshBegins() { m_bPicked = false, m_pick = SPick{}; }
    void Selected() { m_bPicked = true; }
    // Rows of choice replace those shown, of which selected were selected
    // (read only when IsPicking) and focused had the focus.
    void Replace(const SLookupChoice& choice, const CStringArray& selected, const CString& focused);

  private:
    SLookupChoice m_choice;
    bool m_bShown = false;
    bool m_bPicked = false; // since the refresh began, or the refill
    SPick m_pick;
};

#endif
