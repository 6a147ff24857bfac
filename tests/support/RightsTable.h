#pragma once

#include <QList>

// What each kind of user may do, as one table that both the program's
// policies and the server's rights are checked against, so the two cannot
// drift apart. The demo users: admin (administrator), kierownik (manager
// of MG_BUDOWA1 and MG_BUDOWA2, mgz_id 2 and 3), magazynier (no rights).
struct RightsCase
{
    const char *name;
    const char *command;   // the registered command whose policy the program asks
    const char *model;     // the register the command acts in
    const char *key;       // SQL: the key of the row it acts on
    const char *write;     // SQL: the write the server is asked for (%1: the key)
    bool admin;
    bool manager;
    bool user;
};

inline const QList<RightsCase> &rightsTable()
{
    static const QList<RightsCase> cases{
            {"warehouse", "MagazynyCmdEdytuj", "MagazynyModel", "SELECT 2",
             "UPDATE magazyny SET mgz_opis = mgz_opis WHERE mgz_id = %1", true, false, false},
            {"closed warehouse deleted", "MagazynyCmdKasuj", "MagazynyModel", "SELECT 4",
             "DELETE FROM magazyny WHERE mgz_id = %1", true, false, false},
            {"location in a managed warehouse", "LokalizacjeCmdEdytuj", "LokalizacjeModel",
             "SELECT min(lkl_id) FROM lokalizacje WHERE lkl_fk_mgz = 3",
             "UPDATE lokalizacje SET lkl_nazwa = lkl_nazwa WHERE lkl_id = %1", true, true, false},
            {"location in another warehouse", "LokalizacjeCmdKasuj", "LokalizacjeModel",
             "SELECT min(lkl_id) FROM lokalizacje WHERE lkl_fk_mgz = 1",
             "DELETE FROM lokalizacje WHERE lkl_id = %1", true, false, false},
            {"tool in a managed warehouse", "NarzedziaCmdEdytuj", "NarzedziaModel",
             "SELECT min(nrz_id) FROM narzedzia WHERE nrz_fk_mgz = 2",
             "UPDATE narzedzia SET nrz_nazwa = nrz_nazwa WHERE nrz_id = %1", true, true, false},
            {"tool in another warehouse", "NarzedziaCmdEdytuj", "NarzedziaModel",
             "SELECT min(nrz_id) FROM narzedzia WHERE nrz_fk_mgz = 1",
             "UPDATE narzedzia SET nrz_nazwa = nrz_nazwa WHERE nrz_id = %1", true, false, false},
            {"tool in another warehouse deleted", "NarzedziaCmdKasuj", "NarzedziaModel",
             "SELECT min(nrz_id) FROM narzedzia WHERE nrz_fk_mgz = 1",
             "DELETE FROM narzedzia WHERE nrz_id = %1", true, false, false},
            {"employee", "PracownicyCmdEdytuj", "PracownicyModel", "SELECT min(prc_id) FROM pracownicy",
             "UPDATE pracownicy SET prc_imie = prc_imie WHERE prc_id = %1", true, true, true},
            {"place of use", "MiejscaUzytkowaniaCmdEdytuj", "MiejscaUzytkowaniaModel",
             "SELECT min(muz_id) FROM miejsca_uzytkowania",
             "UPDATE miejsca_uzytkowania SET muz_nazwa = muz_nazwa WHERE muz_id = %1", true, true, true},
            {"tool category", "KategorieNarzedziCmdEdytuj", "KategorieNarzedziModel",
             "SELECT min(ktr_nrz_id) FROM kategorie_narzedzi",
             "UPDATE kategorie_narzedzi SET ktr_nrz_nazwa = ktr_nrz_nazwa WHERE ktr_nrz_id = %1", true, true, true},
            {"another user's account", "UzytkownicyCmdEdytuj", "UzytkownicyModel", "SELECT 2",
             "UPDATE uzytkownicy SET uzt_notatka = uzt_notatka WHERE uzt_id = %1", true, false, false},
            {"warehouse manager's right", "OvUprawnieniaMgzKasujCommand", "OvUprawnieniaMgzModel",
             "SELECT min(ovuprmgz_id) FROM ov_uprawnienia_mgz",
             "DELETE FROM ov_uprawnienia_mgz WHERE ovuprmgz_id = %1", true, false, false},
            {"transfer received in a managed warehouse", "PrzesunieciaMMPrzyjmij", "PrzesunieciaMMModel",
             "SELECT min(psnmm_id) FROM przesuniecia_mm WHERE NOT psnmm_status AND psnmm_fk_mgz_dst = 3",
             "UPDATE przesuniecia_mm SET psnmm_fk_uzt_dst = NULL WHERE psnmm_id = %1", true, true, false},
            {"transfer cancelled at another source", "PrzesunieciaMMAnuluj", "PrzesunieciaMMModel",
             "SELECT min(psnmm_id) FROM przesuniecia_mm WHERE NOT psnmm_status AND psnmm_fk_mgz_src = 1",
             "DELETE FROM przesuniecia_mm WHERE psnmm_id = %1", true, false, false},
            {"tool taken back in a managed warehouse", "PrzypisaneNarzedziaPracownikomPrzyjmij",
             "PrzypisaneNarzedziaPracownikomModel",
             "SELECT min(pnp_id) FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status AND pnp_fk_mgz = 3",
             "UPDATE przypisane_narzedzia_pracownikom SET pnp_fk_uzt_prz = NULL WHERE pnp_id = %1", true, true, false},
            {"repair received in a managed warehouse", "NaprawyPrzyjmijCommand", "NaprawyPrzegladyModel",
             "SELECT min(np_id) FROM naprawy_przeglady WHERE NOT np_status AND np_typ = 0 AND np_fk_mgz = 3",
             "UPDATE naprawy_przeglady SET np_fk_uzt_prz = NULL WHERE np_id = %1", true, true, false},
    };
    return cases;
}
