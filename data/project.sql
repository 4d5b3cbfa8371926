-- The database of a project folder: its files and settlements.
CREATE TABLE data (id AUTOINCREMENT, code int, named nvarchar (255), pathname nvarchar (255));
