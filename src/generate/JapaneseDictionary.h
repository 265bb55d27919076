#pragma once
// The dictionary kind's values: Japanese people, places, telephone numbers,
// e-mail addresses and companies, drawn from the program's random sequence.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace generate {

// The dictionary values of one row at a time. The row's person (names,
// readings, e-mail address) and place (prefecture, municipality, postal code,
// address, landline number) are drawn on their first use in the row, so that
// every dictionary column of a row speaks of the same person and place.
class DictionaryRow {
public:
    // What a draw is for: the row's person, the row's place, or a value of
    // the asking column alone (a mobile number, a company).
    enum class Part { Person, Place, Own };

    // Starts a new row: the next value draws a new person and place, their
    // draws numbered from 0 again.
    void reset()
    {
        m_person.reset();
        m_place.reset();
        m_personDraws = 0;
        m_placeDraws = 0;
    }
    // Another value of `dictionary` for the same row (a value that may not
    // repeat): a new person for a name or a mail address, a new place for a
    // place, their draws going on after those of the ones before.
    void redraw(int dictionary);
    // The value of `dictionary` (one of basKovaData::DictionaryNames) for this
    // row; an empty text (NULL) for a name that is no dictionary.
    QString value(const QString& dictionary);
    // The same by the dictionary's position in DictionaryNames.
    QString value(int dictionary);
    // How many distinct values `dictionary` (by position) can give at most.
    static double DistinctCount(int dictionary);

    // Where the draws come from: the program's random sequence when empty.
    // A person's and a place's draws are numbered within the row, so that
    // they do not depend on which column asks first.
    std::function<double(Part part, int index)> draw;

private:
    struct Person {
        int surname = 0;
        int given = 0;
        int mailNumber = 0;
    };
    struct Place {
        int municipality = 0;
        int town = 0;
        int block[3] = {};
        int postal = 0;
        int exchange = 0;
        int line = 0;
    };
    const Person& person();
    const Place& place();
    // A whole number from 0 to n - 1.
    int Draw(Part part, int n);
    // An index into a weighted name list, the common names more often.
    template <typename Names>
    int DrawWeighted(const Names& names);

    std::optional<Person> m_person;
    std::optional<Place> m_place;
    int m_personDraws = 0;
    int m_placeDraws = 0;
};


}  // namespace generate
