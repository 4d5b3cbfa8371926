-- The database of a settlement folder: its files and every valuation step's tables.
CREATE TABLE data (id AUTOINCREMENT, code int, named nvarchar (255), pathname nvarchar (255));
CREATE TABLE характеристика (id AUTOINCREMENT, код nvarchar (50) DEFAULT '', показник nvarchar (255), значення nvarchar (255) DEFAULT '', значення2 ntext DEFAULT '');
CREATE TABLE показники (id AUTOINCREMENT, показник nvarchar (255), значення nvarchar (255) DEFAULT '');
CREATE TABLE витрати (id AUTOINCREMENT, категорія nvarchar (100), назва nvarchar (255), од_виміру nvarchar (50), первісна nvarchar (50), відновлена nvarchar (50), кількість nvarchar (50), всього nvarchar (50));
CREATE TABLE експертні_фактори (id AUTOINCREMENT, назва nvarchar (150));
CREATE TABLE анкета (id AUTOINCREMENT, район nvarchar (50), фактор nvarchar (150), оцінка nvarchar (50));
CREATE TABLE км2 (id AUTOINCREMENT, район nvarchar (50), площа nvarchar (50), сума nvarchar (50), середній nvarchar (50), середньозваж nvarchar (50), si nvarchar (50) DEFAULT '', ei nvarchar (50) DEFAULT '', ui nvarchar (50) DEFAULT '', ci nvarchar (50) DEFAULT '', іі nvarchar (50), км2 nvarchar (50), вартість nvarchar (50), зона nvarchar (50));
CREATE TABLE зони (id AUTOINCREMENT, зона nvarchar (50), райони ntext, опис ntext);
CREATE TABLE локальні (id AUTOINCREMENT, район nvarchar (50), фактор nvarchar (50), коефіціент nvarchar (50));
CREATE TABLE угіддя (id AUTOINCREMENT, тип nvarchar (10), шифр nvarchar (50), бал_бонітету nvarchar (50), площа nvarchar (50), вартість nvarchar (50), до_індексації nvarchar (50), індексація nvarchar (50));
CREATE TABLE грунти (id AUTOINCREMENT, шифр nvarchar (20), назва nvarchar (255));
CREATE TABLE ділянки (id AUTOINCREMENT, номер nvarchar (10), назва nvarchar (255), функц nvarchar (50), район nvarchar (50), площа nvarchar (50), базова nvarchar (50), розрахункова nvarchar (50), загальна nvarchar (50), шифр nvarchar (50));
-- Functional coefficients by category of use (a reference offered for editing).
CREATE TABLE кф (id AUTOINCREMENT, код nvarchar (10), назва nvarchar (255), значення nvarchar (20));
