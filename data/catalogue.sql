-- The catalogue database "baza.sqlite": projects and the reference tables.
CREATE TABLE projects (id AUTOINCREMENT, uid nvarchar (20), part_uid nvarchar (20) DEFAULT '', named nvarchar (255), typed nvarchar (50) DEFAULT '', pathname nvarchar (255));
CREATE TABLE коатуу (id AUTOINCREMENT, code nvarchar (10), title nvarchar (255) COLLATE UKR);
CREATE INDEX коатуу_code ON коатуу (code);
CREATE TABLE індексація (id AUTOINCREMENT, рік nvarchar (10), індексація nvarchar (20), інфляція nvarchar (20));
CREATE TABLE грунти (id AUTOINCREMENT, шифр nvarchar (20), назва nvarchar (255));
CREATE TABLE збірник_цін (id AUTOINCREMENT, категорія nvarchar (255), назва nvarchar (255), од_виміру nvarchar (50), вартість nvarchar (20), рік nvarchar (10));
CREATE TABLE локальні (id AUTOINCREMENT, назва_фактору ntext, назва_коротко nvarchar (100), мин nvarchar (20), макс nvarchar (20));
-- Kinds of designated purpose of land and the functional-use category (Кф) of each.
CREATE TABLE призначення (id AUTOINCREMENT, код nvarchar (10), назва nvarchar (255), категорія nvarchar (10));
-- The council's rates of land tax, % of the normative value, by purpose code, section or category; the valuer fills it.
CREATE TABLE ставки_податку (id AUTOINCREMENT, код nvarchar (10), ставка nvarchar (20));
-- Program settings; "ПутьКПроектам" replaces the projects root when not empty.
CREATE TABLE налаштування (id AUTOINCREMENT, code nvarchar (50), value nvarchar (255));
INSERT INTO налаштування (code, value) VALUES ('ПутьКПроектам', '');
